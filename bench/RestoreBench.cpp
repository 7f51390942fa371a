// Times the real client's restore run against a running arkvale-server, and the decryptor and
// decompressor alone on the same stored data (the floor: ccrypt -d, then gunzip).
//   arkvale-restore-bench PORT WORK_DIR USER PASSWORD [small|large]
// WORK_DIR becomes the client's data root. Prints seconds and the ratios; "small" leaves out the
// 64 MiB files, "large" the small files' figures.
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
#include "client/transfer/RestoreRun.h"
#include "client/transfer/RunFlags.h"
#include "platform/Drives.h"
#include "platform/Files.h"
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

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Bench {
  QuietPrompt prompt;
  NoWindow window;
  NoRestoreBars dialog;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;

  // Stores the files of the set on the server and gives their index rows.
  std::vector<IndexEntry> Store(const std::string& set, const std::vector<std::string>& files) {
    RunAutomaticBackup(*doc, *session, set);
    if (prompt.last.find("All files in session transferred succesfully") == std::string::npos) {
      std::cerr << "unexpected backup summary: " << prompt.last << "\n";
    }
    std::vector<IndexEntry> rows;
    for (const std::string& file : files) {
      auto status = plat::StatFile(file);
      rows.push_back({file, static_cast<int32_t>(status ? status->size : 0),
                      static_cast<int32_t>(status ? status->modificationTime : 0)});
    }
    return rows;
  }

  // Removes the files and restores them; the time of the run. A file that did not come back
  // whole is reported, since the figures of such a run mean little.
  double Restore(const std::vector<IndexEntry>& rows, const std::vector<std::string>& contents) {
    for (const IndexEntry& row : rows) fs::remove(Host(row.name));
    restoreInProgress = true;
    double t = Seconds([&] { RunRestore(*doc, *session, dialog, rows); });
    if (prompt.last != "Restore operation completed") {
      std::cerr << "unexpected restore summary: " << prompt.last << "\n";
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (ReadHost(Host(rows[i].name)) != contents[i]) {
        std::cerr << "not restored byte for byte: " << rows[i].name << "\n";
      }
    }
    return t;
  }
};

// The stored form of a file (gzip -9, then ccrypt), then the floor: ccrypt -d, then gunzip, one
// after the other on it, as a user would restore it by hand.
double Tools(const std::string& windowsFile) {
  const std::string work = "C:\\bench_tools";
  const std::string tool = kInstallDirectory;
  fs::copy_file(Host(windowsFile), Host(work), fs::copy_options::overwrite_existing);
  fs::remove(Host(work + ".gz"));
  fs::remove(Host(work + ".gz.cpt"));
  plat::RunAndWait(tool + kGzipName, {"gzip", "-9", "-f", work});
  plat::RunAndWait(tool + kCcryptName, {"ccrypt", "-e", "-f", "-K", kKey, work + ".gz"});
  fs::remove(Host(work));
  double t = Seconds([&] {
    plat::RunAndWait(tool + kCcryptName, {"ccrypt", "-d", "-f", "-K", kKey, work + ".gz.cpt"});
    plat::RunAndWait(tool + kGzipName, {"gzip", "-d", "-f", work + ".gz"});
  });
  if (ReadHost(Host(work)) != ReadHost(Host(windowsFile))) std::cerr << "tools went wrong\n";
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string only = argc == 6 ? argv[5] : "";
  if (argc != 5 && !(argc == 6 && (only == "small" || only == "large"))) {
    std::cerr << "usage: arkvale-restore-bench PORT WORK_DIR USER PASSWORD [small|large]\n";
    return 2;
  }
  const bool smallOnly = only == "small";
  const uint16_t port = static_cast<uint16_t>(std::atoi(argv[1]));
  Bench bench;
  if (!PrepareClient(argv[2], argv[3], argv[4], kKey, bench.prompt)) return 1;
  bench.doc = std::make_unique<CArkvaleDoc>(bench.prompt);
  bench.doc->encryptionKey = kKey;
  bench.session = std::make_unique<CSession>(*bench.doc, bench.window);
  bench.session->serverPort = port;
  if (bench.session->ConnectAutomatically() != 0) {
    std::cerr << "connection failed\n";
    return 1;
  }

  // Small files: the fixed part of a run (lock, its release pause, the exchange's start) drops
  // out as the difference between a run of all of them and a run of one.
  const std::string dir = "C:\\bench\\small";
  std::vector<std::string> names;
  std::vector<std::string> contents;
  for (int f = 0; f < kSmallFiles; ++f) {
    names.push_back(dir + "\\f" + std::to_string(f));
    contents.push_back(RandomBytes(kSmallSize, 1000 + f));
    WriteHost(Host(names.back()), contents.back());
  }
  WriteHost(Host("C:\\bench\\small.bak"), "1\n" + dir + "\n0\n");
  const std::vector<IndexEntry> rows = bench.Store("C:\\bench\\small.bak", names);
  double all = 0, one = 0, smallTools = 0;
  for (int r = 0; r < kRepeats && only != "large"; ++r) {
    all += bench.Restore(rows, contents);
    one += bench.Restore({rows.front()}, {contents.front()});
    smallTools += Tools(names.front());
  }
  const double perFile = (all - one) / kRepeats / (kSmallFiles - 1);
  smallTools /= kRepeats;
  if (only != "large") {
    std::printf("restore, 1 KiB file                 %8.4f s per file\n", perFile);
    std::printf("ccrypt -d then gunzip, 1 KiB file   %8.4f s, ratio %.2fx\n", smallTools,
                smallTools / perFile);
    std::fflush(stdout);
  }

  const char* larges[] = {"text", "random"};
  for (const std::string large : larges) {
    if (smallOnly) break;
    const std::string file = "C:\\bench\\large\\" + large;
    const std::string content = large == "text" ? Text(kLargeSize, 7) : RandomBytes(kLargeSize, 8);
    WriteHost(Host(file), content);
    const std::string set = "C:\\bench\\" + large + ".bak";
    WriteHost(Host(set), "0\n1\n" + file + "\n");
    const std::vector<IndexEntry> largeRows = bench.Store(set, {file});
    double run = 0, fixed = 0, tools = 0;
    for (int r = 0; r < kRepeats; ++r) {
      run += bench.Restore(largeRows, {content});
      // The fixed part of a run, with one small file.
      fixed += bench.Restore({rows.front()}, {contents.front()});
      tools += Tools(file);
    }
    run /= kRepeats;
    fixed /= kRepeats;
    tools /= kRepeats;
    std::printf(
        "64 MiB %-6s file: run %7.3f s (%7.3f s without the fixed part), tools %7.3f s, "
        "ratio %.2fx (%.2fx)\n",
        large.c_str(), run, run - fixed, tools, tools / run, tools / (run - fixed));
    std::fflush(stdout);
  }
  plat::SocketClose(bench.session->sessionSocket);
  return 0;
}
