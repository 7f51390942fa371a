#pragma once
// The catalog in PostgreSQL, shared by any number of servers. Each change is one transaction
// that first locks the account's row, so changes of one account are serialised across servers
// and the quota holds whichever server takes an upload. Sessions borrow connections from a small
// pool; a lost connection is dropped and replaced, and while the database cannot be reached
// calls fail at once (CatalogError) and new connections are tried with a growing pause.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "server/Catalog.h"

typedef struct pg_conn PGconn;

namespace arkvale::server {

class PostgresCatalog : public Catalog {
 public:
  // uri: a libpq connection string or URI; libpq's environment variables and password file
  // fill in what it leaves out. Creates the tables when missing.
  explicit PostgresCatalog(std::string uri, int maxConnections = 8);
  ~PostgresCatalog() override;
  PostgresCatalog(const PostgresCatalog&) = delete;
  PostgresCatalog& operator=(const PostgresCatalog&) = delete;

  bool AddUser(const std::string& name, const std::string& password, std::int64_t quotaKb) override;
  bool SetQuota(const std::string& name, std::int64_t quotaKb) override;
  bool SetPassword(const std::string& name, const std::string& password) override;
  std::vector<Account> Accounts() override;
  bool PasswordMatches(const std::string& name, const std::string& password) override;
  std::optional<Quota> QuotaOf(const std::string& user) override;
  std::optional<StoredFile> Find(const std::string& user, const std::string& path) override;
  void EachFile(const std::string& user,
                const std::function<void(const StoredFile&)>& visit) override;
  bool Fits(const std::string& user, const std::string& path, std::int64_t storedBytes) override;
  CommitResult Commit(const std::string& user, const StoredFile& file,
                      std::string& replacedObject) override;
  std::optional<std::string> Remove(const std::string& user, const std::string& path) override;
  std::vector<std::string> Objects() override;

  class Session;

 private:
  // Runs work with a pooled connection; a pooled connection found dead is replaced once.
  template <typename Work>
  auto WithSession(Work work);
  PGconn* Acquire(bool& fresh);
  void Release(PGconn* connection, bool broken);
  PGconn* Connect();
  void CreateTables();

  std::string uri_;
  int maxConnections_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::vector<PGconn*> idle_;
  int open_ = 0;
  std::chrono::steady_clock::time_point nextAttempt_{};
  std::chrono::milliseconds backoff_{0};
};

}  // namespace arkvale::server
