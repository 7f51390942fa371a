#pragma once
// A PostgreSQL server of the test program's own, started from the installed binaries in a
// temporary directory on first use (listening on a Unix socket there only) and stopped when
// the program ends. As root it runs as "nobody", since initdb refuses root.
#include <string>

namespace arkvale::test {

class PostgresService {
 public:
  // The program's one service, started on first call.
  static PostgresService& Shared();
  ~PostgresService();
  PostgresService(const PostgresService&) = delete;
  PostgresService& operator=(const PostgresService&) = delete;

  // False (with the reason) when the binaries are missing or the service did not start.
  bool available() const { return why_.empty(); }
  const std::string& why() const { return why_; }
  // The URI of a new, empty database.
  std::string NewDatabase();
  // Stops and starts the server under the clients, as an outage would.
  void Stop();
  void Start();

 private:
  PostgresService();
  bool Run(const std::string& command, const std::string& what);

  std::string root_;
  std::string asOwner_;
  std::string why_;
  int databases_ = 0;
};

}  // namespace arkvale::test
