// Times the real client's backup run (the automatic run: no window) against a running
// arkvale-server, and the compressor and encryptor alone on the same files.
//   arkvale-bench PORT WORK_DIR USER PASSWORD [small|login]
// WORK_DIR becomes the client's data root. Prints seconds per file and the ratios; "small"
// leaves out the 64 MiB files; "login" times only the log-in (median of many).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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
#include "platform/Drives.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Sockets.h"

namespace fs = std::filesystem;
using namespace arkvale;
using namespace arkvale::bench;

namespace {

constexpr int kRepeats = 3;
constexpr int kSmallFiles = 200;
constexpr std::size_t kSmallSize = 1024;
constexpr std::size_t kLargeSize = 64u << 20;
constexpr const char* kKey = "bench key with blanks";

// A later modification time, so the server needs the file again.
void Touch(const std::string& hostPath, int bump) {
  struct stat st {};
  ::stat(hostPath.c_str(), &st);
  timespec times[2] = {{st.st_mtime + bump, 0}, {st.st_mtime + bump, 0}};
  ::utimensat(AT_FDCWD, hostPath.c_str(), times, 0);
}

struct Bench {
  QuietPrompt prompt;
  NoWindow window;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;

  // One automatic run of the set; a summary other than success is shown, since the figures of
  // such a run mean little.
  double Run(const std::string& set) {
    double t = Seconds([&] { RunAutomaticBackup(*doc, *session, set); });
    if (prompt.last.find("All files in session transferred succesfully") == std::string::npos) {
      std::cerr << "unexpected summary: " << prompt.last << "\n";
    }
    return t;
  }
};

// gzip -9 then ccrypt on a copy of the file, as the run does them one after the other.
double Tools(const std::string& windowsFile) {
  const std::string work = "C:\\bench_tools";
  fs::copy_file(Host(windowsFile), Host(work), fs::copy_options::overwrite_existing);
  fs::remove(Host(work + ".gz.cpt"));
  return Seconds([&] {
    plat::RunAndWait(kInstallDirectory + std::string(kGzipName), {"gzip", "-9", "-f", work});
    plat::RunAndWait(kInstallDirectory + std::string(kCcryptName),
                     {"ccrypt", "-e", "-f", "-K", kKey, work + ".gz"});
  });
}

// The log-in as the client opens its session, and the server's part alone: credentials
// (encrypted once beforehand) to "OK", then the quota query answered.
int LogInFigures(Bench& bench, uint16_t port, const std::string& credentials) {
  constexpr int kLogins = 21;
  std::vector<double> opens, exchanges;
  for (int i = 0; i < kLogins; ++i) {
    opens.push_back(Seconds([&] {
      if (bench.session->ConnectAutomatically() != 0) std::cerr << "connection failed\n";
    }));
    plat::SocketClose(bench.session->sessionSocket);
    bench.session->sessionSocket = -1;
  }
  std::string encrypted;
  if (bench.session->EncryptCredentials(credentials, encrypted, Owner::None) <= 0) return 1;
  for (int i = 0; i < kLogins; ++i) {
    int socket = plat::SocketCreate();
    if (socket < 0 || plat::SocketConnect(socket, 0x7f000001, port) != 0) return 1;
    char reply[256];
    bool answered = true;
    exchanges.push_back(Seconds([&] {
      for (const std::string& message : {encrypted, std::string("SEND_QUOTA_DATA")}) {
        answered = answered && plat::SocketSend(socket, message.data(), message.size()) > 0 &&
                   plat::SocketReceive(socket, reply, sizeof reply, 5000) > 0;
      }
    }));
    plat::SocketClose(socket);
    if (!answered) std::cerr << "log-in failed\n";
  }
  std::printf("log-in, session opened by the client  %7.2f ms (median of %d)\n",
              Median(opens) * 1000, kLogins);
  std::printf("log-in, server's part (login + quota) %7.2f ms (median of %d)\n",
              Median(exchanges) * 1000, kLogins);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 6 ? argv[5] : "";
  if (argc != 5 && !(argc == 6 && (mode == "small" || mode == "login"))) {
    std::cerr << "usage: arkvale-bench PORT WORK_DIR USER PASSWORD [small|login]\n";
    return 2;
  }
  const bool smallOnly = mode == "small";
  const uint16_t port = static_cast<uint16_t>(std::atoi(argv[1]));
  Bench bench;
  if (!PrepareClient(argv[2], argv[3], argv[4], kKey, bench.prompt)) return 1;
  bench.doc = std::make_unique<CArkvaleDoc>(bench.prompt);
  bench.doc->encryptionKey = kKey;
  bench.session = std::make_unique<CSession>(*bench.doc, bench.window);
  bench.session->serverPort = port;
  if (mode == "login") return LogInFigures(bench, port, std::string(argv[3]) + "," + argv[4] + ",");

  // Opening the session: host lookup, credentials encryption, login, quota.
  double open = 0;
  for (int i = 0; i < kRepeats; ++i) {
    open += Seconds([&] {
      if (bench.session->ConnectAutomatically() != 0) std::cerr << "connection failed\n";
    });
    if (i + 1 < kRepeats) {
      plat::SocketClose(bench.session->sessionSocket);
      bench.session->sessionSocket = -1;
    }
  }
  open /= kRepeats;

  // The fixed part of every run: an empty set (lock, quota, summary).
  WriteHost(Host("C:\\bench\\empty.bak"), "0\n0\n");
  double empty = 0;
  for (int i = 0; i < kRepeats; ++i) empty += bench.Run("C:\\bench\\empty.bak");
  empty /= kRepeats;

  // Small files: each repeat in a directory of its own, all needed; then the same again, held.
  double needed = 0, held = 0, smallTools = 0;
  for (int r = 0; r < kRepeats; ++r) {
    const std::string dir = "C:\\bench\\small" + std::to_string(r);
    for (int f = 0; f < kSmallFiles; ++f) {
      WriteHost(Host(dir + "\\f" + std::to_string(f)), RandomBytes(kSmallSize, r * 1000 + f));
    }
    const std::string set = "C:\\bench\\small" + std::to_string(r) + ".bak";
    WriteHost(Host(set), "1\n" + dir + "\n0\n");
    needed += bench.Run(set);
    held += bench.Run(set);
    smallTools += Tools(dir + "\\f0");
  }
  const double perNeeded = (needed / kRepeats - empty) / kSmallFiles;
  const double perHeld = (held / kRepeats - empty) / kSmallFiles;
  smallTools /= kRepeats;

  // Large files: touched before each repeat so the server takes them again.
  const char* larges[] = {"text", "random"};
  std::printf("session opened                      %8.3f s\n", open);
  std::printf("run without files (lock, quota)     %8.3f s\n", empty);
  std::printf("needed 1 KiB file                   %8.4f s per file\n", perNeeded);
  std::printf("held 1 KiB file                     %8.4f s per file\n", perHeld);
  std::printf("gzip -9 then ccrypt, 1 KiB file     %8.4f s\n", smallTools);
  std::fflush(stdout);
  for (const std::string large : larges) {
    if (smallOnly) break;
    const std::string file = "C:\\bench\\large\\" + large;
    WriteHost(Host(file), large == "text" ? Text(kLargeSize, 7) : RandomBytes(kLargeSize, 8));
    const std::string set = "C:\\bench\\" + large + ".bak";
    WriteHost(Host(set), "0\n1\n" + file + "\n");
    double run = 0, tools = 0;
    for (int r = 0; r < kRepeats; ++r) {
      Touch(Host(file), r + 1);
      run += bench.Run(set);
      tools += Tools(file);
    }
    run /= kRepeats;
    tools /= kRepeats;
    std::printf(
        "64 MiB %-6s file: run %7.3f s (%7.3f s without the fixed part), tools %7.3f s, "
        "ratio %.2fx (%.2fx)\n",
        large.c_str(), run, run - empty, tools, tools / run, tools / (run - empty));
  }
  plat::SocketClose(bench.session->sessionSocket);
  return 0;
}
