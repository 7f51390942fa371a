#include "tests/support/TempWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Drives.h"

namespace fs = std::filesystem;

namespace arkvale::test {

TempWorld::TempWorld() {
  std::string pattern = (fs::temp_directory_path() / "arkvale-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  root_ = pattern;
  plat::SetDataRoot(root_);
  plat::EnsureDriveTable();
}

TempWorld::~TempWorld() {
  std::error_code ec;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

void TempWorld::WriteHostFile(const std::string& hostPath, const std::string& content) {
  fs::create_directories(fs::path(hostPath).parent_path());
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string TempWorld::ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace arkvale::test
