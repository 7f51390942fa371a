#include "tests/server/PostgresService.h"

#include <libpq-fe.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace arkvale::test {

namespace fs = std::filesystem;

namespace {

const std::string kBinaries = "/usr/lib/postgresql/15/bin";
constexpr uid_t kNobody = 65534;

}  // namespace

PostgresService& PostgresService::Shared() {
  static PostgresService service;
  return service;
}

PostgresService::PostgresService() {
  if (!fs::exists(kBinaries + "/initdb")) {
    why_ = "PostgreSQL 15 is not installed (scripts/setup-services.sh installs it)";
    return;
  }
  std::string pattern = (fs::temp_directory_path() / "arkvale-pg-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    why_ = "mkdtemp failed";
    return;
  }
  root_ = pattern;
  if (::geteuid() == 0) {
    if (::chown(root_.c_str(), kNobody, kNobody) != 0) why_ = "cannot hand the directory over";
    asOwner_ = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  if (why_.empty() &&
      Run(kBinaries + "/initdb -D " + root_ + "/data -U arkvale -A trust -E UTF8 --no-sync",
          "initdb"))
    Start();
  if (!why_.empty()) return;
  // Should this program die without its destructors, the server still goes with it.
  std::system(("(while kill -0 " + std::to_string(::getpid()) + " 2>/dev/null; do sleep 1; done; " +
               asOwner_ + kBinaries + "/pg_ctl -D " + root_ + "/data -m immediate stop; rm -rf " +
               root_ + ") >/dev/null 2>&1 &")
                  .c_str());
}

PostgresService::~PostgresService() {
  if (root_.empty()) return;
  if (why_.empty()) Stop();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

bool PostgresService::Run(const std::string& command, const std::string& what) {
  std::string line =
      "cd " + root_ + " && " + asOwner_ + command + " >>" + root_ + "/" + what + ".log 2>&1";
  if (std::system(line.c_str()) == 0) return true;
  why_ = what + " failed, see " + root_ + "/" + what + ".log";
  return false;
}

void PostgresService::Start() {
  Run(kBinaries + "/pg_ctl -D " + root_ + "/data -l " + root_ + "/server.log -w -t 60 -o \"-k " +
          root_ +
          " -c listen_addresses='' -c fsync=off -c full_page_writes=off"
          " -c synchronous_commit=off -c max_connections=300\" start",
      "pg_ctl");
}

void PostgresService::Stop() {
  Run(kBinaries + "/pg_ctl -D " + root_ + "/data -m fast -w -t 60 stop", "pg_ctl");
}

std::string PostgresService::NewDatabase() {
  std::string name = "test" + std::to_string(++databases_);
  std::string base = "postgresql://arkvale@/";
  PGconn* connection = PQconnectdb((base + "postgres?host=" + root_).c_str());
  // Copying the template's files is quicker than logging them, with fsync off.
  PGresult* result =
      PQexec(connection, ("CREATE DATABASE " + name + " STRATEGY = FILE_COPY").c_str());
  bool created = PQresultStatus(result) == PGRES_COMMAND_OK;
  std::string why = PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
  if (!created) throw std::runtime_error("cannot create a test database: " + why);
  return base + name + "?host=" + root_;
}

}  // namespace arkvale::test
