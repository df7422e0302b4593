#pragma once
// Runs the command-line program in-process with the given arguments and standard input.
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.hpp"

namespace qmtest {

struct CliRun {
    int status = 0;
    std::string out, err;
};

inline CliRun runCliWith(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "quillmate-cli");
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    CliRun run;
    run.status = qm::runCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

}  // namespace qmtest
