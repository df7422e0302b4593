// The window program.
#include "platform/fltk/window_program.hpp"

int main(int argc, char** argv) { return qm::runWindowProgram(argc, argv); }
