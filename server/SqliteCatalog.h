#pragma once
// The catalog in one SQLite file (WAL mode), for a server that runs alone. All calls are
// serialised, so one account's files are changed by one connection at a time. Each account's
// usage is kept as a figure changed in the transaction of every store, replacement and removal,
// so a log-in reads it instead of summing the account's files.
#include <mutex>
#include <string>

#include "server/Catalog.h"

struct sqlite3;

namespace arkvale::server {

class SqliteCatalog : public Catalog {
 public:
  explicit SqliteCatalog(const std::string& databasePath);
  ~SqliteCatalog() override;
  SqliteCatalog(const SqliteCatalog&) = delete;
  SqliteCatalog& operator=(const SqliteCatalog&) = delete;

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

 private:
  class Statement;
  void Execute(const char* sql);
  void CreateOrUpgradeTables();
  // Changes the account's usage figure; inside the transaction of the change it follows.
  void AddUsage(const std::string& user, std::int64_t kilobytes);
  bool FitsLocked(const std::string& user, const std::string& path, std::int64_t storedBytes);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace arkvale::server
