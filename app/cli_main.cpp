#include <iostream>

#include "app/cli.hpp"

int main(int argc, char** argv) { return qm::runCli(argc, argv, std::cin, std::cout, std::cerr); }
