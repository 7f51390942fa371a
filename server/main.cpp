#include <iostream>
#include <string>
#include <vector>

#include "server/CommandLine.h"

int main(int argc, char** argv) {
  return arkvale::server::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                         std::cout, std::cerr);
}
