#include "server/CommandLine.h"

#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

#include "server/OpenCatalog.h"
#include "server/Server.h"
#include "server/ServerLog.h"

namespace arkvale::server {

namespace {

constexpr const char* kUsage =
    "usage: arkvale-server [OPTIONS] [serve]\n"
    "       arkvale-server [OPTIONS] add-user NAME PASSWORD QUOTA_KB [--exist-ok]\n"
    "       arkvale-server [OPTIONS] set-quota NAME QUOTA_KB\n"
    "       arkvale-server [OPTIONS] set-password NAME PASSWORD\n"
    "       arkvale-server [OPTIONS] list-users\n"
    "\n"
    "Reference backup server for the Arkvale client.\n"
    "\n"
    "options:\n"
    "  --data DIR              storage (default $XDG_DATA_HOME/arkvale-server,\n"
    "                          else ~/.local/share/arkvale-server)\n"
    "  --catalog URI           catalog shared by several servers, a PostgreSQL URI\n"
    "                          (postgresql://USER@HOST:PORT/DB; libpq's PG* variables and\n"
    "                          ~/.pgpass apply); default: SQLite in the --data directory\n"
    "  --port N                TCP port to listen on (default 5555; 0 picks a free one)\n"
    "  --bind ADDRESS          IPv4 address to listen on (default 127.0.0.1)\n"
    "  --idle-timeout-ms N     drop a client silent for this long (default 3600000)\n"
    "  --settle-ms N           pause that ends a long path or number (default 40)\n"
    "  --whole-below N         a path or number under N bytes is whole once it has\n"
    "                          arrived, without that pause (default 512; 0: always pause)\n"
    "  --prompt-gap-ms N       pause before asking for the next file (default 0)\n"
    "  --max-connections N     clients served at once (default 64)\n"
    "  --objects s3://BUCKET[/PREFIX]\n"
    "                          keep stored data in an S3 bucket, shared by any number of\n"
    "                          servers (default: files in the data directory)\n"
    "  --s3-endpoint URL       the S3 store, http://HOST:PORT or https://HOST (default\n"
    "                          $AWS_ENDPOINT_URL); path-style requests, region $AWS_REGION\n"
    "                          (default us-east-1)\n"
    "  --s3-credentials FILE   access key and secret key on two lines, in a file only its\n"
    "                          owner may read (default $AWS_ACCESS_KEY_ID and\n"
    "                          $AWS_SECRET_ACCESS_KEY)\n"
    "  --sweep-grace-seconds N stored data no catalog entry refers to, and incomplete\n"
    "                          uploads, are removed once this old (default 3600)\n"
    "  --exist-ok              add-user of an existing name succeeds and changes nothing\n"
    "  --help                  this text\n"
    "\n"
    "A PASSWORD of \"-\" is read from the first line of standard input instead.\n"
    "Serving prints \"listening on port N\" on standard output once it accepts clients, logs\n"
    "to standard error and stops on SIGTERM or SIGINT. Quotas are in kilobytes of 1024\n"
    "bytes. list-users prints NAME, used KB, quota KB and number of files, TAB-separated.\n"
    "Exit codes: 0 done, 1 failure, 2 bad command line, 3 user exists, 4 no such user.\n";

std::optional<long long> Number(const std::string& text, long long low, long long high) {
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high)
    return std::nullopt;
  return value;
}

std::string DefaultDataDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/arkvale-server";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/arkvale-server";
  return {};
}

// Names and passwords travel as "user,password,", so neither may hold a comma.
bool UsableInCredentials(const std::string& text) { return text.find(',') == std::string::npos; }

// "-" takes the password from standard input, which keeps it out of the process list and the
// shell's history; nullopt when there is no line to read.
std::optional<std::string> PasswordFrom(const std::string& word, std::istream& in) {
  if (word != "-") return word;
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int Serve(const ServerConfig& config, std::ostream& out) {
  // Termination signals are taken by one thread that stops the server.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  Server server(config);
  std::uint16_t port = server.Listen();
  std::thread watcher([&] {
    int received = 0;
    sigwait(&signals, &received);
    LogLine(std::string("stopping on ") + (received == SIGINT ? "SIGINT" : "SIGTERM"));
    server.Stop();
  });
  LogLine("listening on port " + std::to_string(port) + ", data in " +
          (config.objects.uri.empty() ? config.dataDirectory : config.objects.uri));
  out << "listening on port " << port << std::endl;
  try {
    server.Run();
  } catch (...) {
    ::kill(::getpid(), SIGTERM);
    watcher.join();
    throw;
  }
  watcher.join();
  return 0;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
  ServerConfig config;
  bool existOk = false;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--exist-ok") {
      existOk = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      words.push_back(arg);
      continue;
    }
    if (i + 1 == args.size()) {
      err << "arkvale-server: " << arg << " needs a value\n" << kUsage;
      return kExitUsage;
    }
    const std::string& value = args[++i];
    std::optional<long long> number;
    if (arg == "--data") {
      config.dataDirectory = value;
      continue;
    }
    if (arg == "--catalog") {
      if (!IsCatalogUri(value)) {
        err << "arkvale-server: --catalog takes a postgresql:// URI\n" << kUsage;
        return kExitUsage;
      }
      config.catalogUri = value;
      continue;
    }
    if (arg == "--objects") {
      config.objects.uri = value;
      continue;
    }
    if (arg == "--s3-endpoint") {
      config.objects.endpoint = value;
      continue;
    }
    if (arg == "--s3-credentials") {
      config.objects.credentialsFile = value;
      continue;
    }
    if (arg == "--bind") {
      config.bindAddress = value;
      continue;
    }
    if (arg == "--port" && (number = Number(value, 0, 65535))) {
      config.port = static_cast<std::uint16_t>(*number);
    } else if (arg == "--idle-timeout-ms" && (number = Number(value, 1, 86400000))) {
      config.session.timing.idleTimeoutMs = static_cast<int>(*number);
    } else if (arg == "--settle-ms" && (number = Number(value, 1, 10000))) {
      config.session.timing.settleMs = static_cast<int>(*number);
    } else if (arg == "--whole-below" && (number = Number(value, 0, 65536))) {
      config.session.timing.wholeBelow = static_cast<std::size_t>(*number);
    } else if (arg == "--prompt-gap-ms" && (number = Number(value, 0, 10000))) {
      config.session.promptGapMs = static_cast<int>(*number);
    } else if (arg == "--max-connections" && (number = Number(value, 1, 10000))) {
      config.maxConnections = static_cast<int>(*number);
    } else if (arg == "--sweep-grace-seconds" && (number = Number(value, 0, 1LL << 40))) {
      config.objects.graceSeconds = *number;
    } else {
      err << "arkvale-server: bad option " << arg << " " << value << "\n" << kUsage;
      return kExitUsage;
    }
  }
  if (config.dataDirectory.empty()) config.dataDirectory = DefaultDataDirectory();
  if (config.dataDirectory.empty()) {
    err << "arkvale-server: no --data directory and no HOME\n";
    return kExitUsage;
  }
  std::string command = words.empty() ? "serve" : words[0];
  std::size_t operands = words.empty() ? 0 : words.size() - 1;

  try {
    if (command == "serve" && operands == 0) return Serve(config, out);

    if (config.catalogUri.empty()) CreateDataDirectory(config.dataDirectory);
    // The account commands leave the data alone, but a store named wrongly is better told now.
    if (!config.objects.uri.empty())
      OpenObjectStore(config.objects, ObjectsPathIn(config.dataDirectory));
    std::unique_ptr<Catalog> opened = OpenCatalog(config.catalogUri, config.dataDirectory);
    Catalog& catalog = *opened;
    if (command == "add-user" && operands == 3) {
      std::optional<long long> quota = Number(words[3], 0, 1LL << 50);
      std::optional<std::string> password = PasswordFrom(words[2], in);
      if (!quota || !password || words[1].empty() || !UsableInCredentials(words[1]) ||
          !UsableInCredentials(*password)) {
        err << "arkvale-server: add-user needs a name and a password without commas and a "
               "quota in kilobytes\n";
        return kExitUsage;
      }
      if (catalog.AddUser(words[1], *password, *quota)) {
        out << "added user " << words[1] << " with a quota of " << *quota << " KB\n";
        return 0;
      }
      if (existOk) {
        out << "user " << words[1] << " exists, left as it is\n";
        return 0;
      }
      err << "arkvale-server: user " << words[1] << " exists\n";
      return kExitUserExists;
    }
    if (command == "set-quota" && operands == 2) {
      std::optional<long long> quota = Number(words[2], 0, 1LL << 50);
      if (!quota) {
        err << "arkvale-server: set-quota needs a quota in kilobytes\n";
        return kExitUsage;
      }
      if (!catalog.SetQuota(words[1], *quota)) {
        err << "arkvale-server: no user " << words[1] << "\n";
        return kExitNoSuchUser;
      }
      out << "quota of " << words[1] << " set to " << *quota << " KB\n";
      return 0;
    }
    if (command == "set-password" && operands == 2) {
      std::optional<std::string> password = PasswordFrom(words[2], in);
      if (!password || !UsableInCredentials(*password)) {
        err << "arkvale-server: set-password needs a password without commas\n";
        return kExitUsage;
      }
      if (!catalog.SetPassword(words[1], *password)) {
        err << "arkvale-server: no user " << words[1] << "\n";
        return kExitNoSuchUser;
      }
      out << "password of " << words[1] << " changed\n";
      return 0;
    }
    if (command == "list-users" && operands == 0) {
      for (const Account& account : catalog.Accounts())
        out << account.name << "\t" << account.usedKb << "\t" << account.quotaKb << "\t"
            << account.files << "\n";
      return 0;
    }
  } catch (const std::exception& e) {
    err << "arkvale-server: " << e.what() << "\n";
    return kExitFailure;
  }
  err << "arkvale-server: unknown command or wrong number of operands\n" << kUsage;
  return kExitUsage;
}

}  // namespace arkvale::server
