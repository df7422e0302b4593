#pragma once
// The command-line program: loads a level source and works on it headless.
#include <iosfwd>

namespace qm {

// Runs the program with its arguments; returns the exit status.
int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
