// One client of the scale demo (scripts/scale-demo.sh): the real client's automatic backup run
// on a set of its own files, and afterwards the real restore run that checks them.
//   arkvale-scale-client backup PORT WORK_DIR USER PASSWORD FILES SIZE
//       one automatic run over FILES files of SIZE bytes (made on the first run, given a later
//       time on each run so that every file is needed); prints "files N seconds S"
//   arkvale-scale-client verify PORT WORK_DIR USER PASSWORD FILES SIZE
//       restores every file into place and compares it with what was backed up; prints
//       "verified N of M not-stored K"
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchSinks.h"
#include "client/document/ArkvaleDoc.h"
#include "client/session/Session.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RestoreRun.h"
#include "client/transfer/RunFlags.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Sockets.h"

namespace fs = std::filesystem;
using namespace arkvale;
using namespace arkvale::bench;

namespace {

constexpr const char* kKey = "scale demo key";

std::string Content(const std::string& user, int file, std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(std::hash<std::string>()(user) + file));
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>('a' + random() % 26);
  return out;
}

std::string FilePath(int file) { return "C:\\scale\\f" + std::to_string(file); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8 || (std::string(argv[1]) != "backup" && std::string(argv[1]) != "verify")) {
    std::cerr << "usage: arkvale-scale-client backup|verify PORT WORK_DIR USER PASSWORD FILES "
                 "SIZE\n";
    return 2;
  }
  const bool verify = std::string(argv[1]) == "verify";
  const auto port = static_cast<uint16_t>(std::atoi(argv[2]));
  const std::string user = argv[4];
  const int files = std::atoi(argv[6]);
  const auto size = static_cast<std::size_t>(std::atol(argv[7]));
  QuietPrompt prompt;
  NoWindow window;
  if (!PrepareClient(argv[3], user, argv[5], kKey, prompt, "scale")) return 1;
  CArkvaleDoc doc(prompt);
  doc.encryptionKey = kKey;
  CSession session(doc, window);
  session.serverPort = port;
  if (session.ConnectAutomatically() != 0) {
    std::cerr << user << ": connection failed\n";
    return 1;
  }

  if (!verify) {
    std::string set = "0\n" + std::to_string(files) + "\n";
    for (int f = 0; f < files; ++f) {
      std::string host = Host(FilePath(f));
      if (!fs::exists(host)) {
        fs::create_directories(fs::path(host).parent_path());
        std::ofstream(host, std::ios::binary) << Content(user, f, size);
      }
      // A later time than any stored copy: the server needs every file again.
      plat::SetModificationTime(FilePath(f), std::time(nullptr) + f % 7);
      set += FilePath(f) + "\n";
    }
    std::ofstream(Host("C:\\scale.bak"), std::ios::binary) << set;
    auto start = std::chrono::steady_clock::now();
    RunAutomaticBackup(doc, session, "C:\\scale.bak");
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files %d seconds %.3f summary %s\n", files, seconds, prompt.last.c_str());
    return 0;
  }

  std::vector<IndexEntry> rows;
  for (int f = 0; f < files; ++f) {
    auto status = plat::StatFile(FilePath(f));
    if (!status) continue;
    rows.push_back({FilePath(f), static_cast<int32_t>(status->size),
                    static_cast<int32_t>(status->modificationTime)});
    fs::remove(Host(FilePath(f)));
  }
  NoRestoreBars bars;
  restoreInProgress = true;
  RunRestore(doc, session, bars, rows);
  int verified = 0, missing = 0;
  for (int f = 0; f < files; ++f) {
    std::ifstream in(Host(FilePath(f)), std::ios::binary);
    std::string restored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (restored.empty())
      ++missing;
    else
      verified += restored == Content(user, f, size);
  }
  // A file the server does not hold comes back empty or not at all.
  std::printf("verified %d of %d not-stored %d\n", verified, files, missing);
  plat::SocketClose(session.sessionSocket);
  return 0;
}
