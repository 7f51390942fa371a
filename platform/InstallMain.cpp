// arkvale-install BINDIR: fills the installation directory from the build's programs.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Install.h"
#include "platform/Paths.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: arkvale-install BINDIR\n");
    return 2;
  }
  std::vector<std::string> installed;
  std::string error;
  bool ok = plat::InstallPrograms(argv[1], installed, error);
  for (const std::string& name : installed) {
    std::printf("installed %s -> %s\n", name.c_str(), plat::ToHostPath(name).value_or("?").c_str());
  }
  if (!ok) {
    std::fprintf(stderr, "arkvale-install: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
