#include "server/SqliteCatalog.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include "server/PasswordHash.h"

namespace arkvale::server {

// A prepared statement that is finalised however the call ends.
class SqliteCatalog::Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) Fail();
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, const std::string& text) {
    // Paths are kept as the client's exact bytes, whatever their encoding.
    if (sqlite3_bind_blob(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
      Fail();
    return *this;
  }
  Statement& Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail();
    return *this;
  }
  // True while there is a row.
  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail();
    return false;
  }
  std::string Text(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    int length = sqlite3_column_bytes(stmt_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(length))
                : std::string();
  }
  void Text(int column, std::string& into) {
    const void* data = sqlite3_column_blob(stmt_, column);
    into.assign(data ? static_cast<const char*>(data) : "",
                static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  std::int64_t Integer(int column) { return sqlite3_column_int64(stmt_, column); }

 private:
  [[noreturn]] void Fail() { throw CatalogError(sqlite3_errmsg(db_)); }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

namespace {

constexpr std::int64_t kSchemaVersion = 1;

// Rolls back unless committed, so an exception never leaves a transaction open.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Run("BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    Run("COMMIT");
    open_ = false;
  }

 private:
  void Run(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      throw CatalogError(sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  bool open_ = true;
};

}  // namespace

SqliteCatalog::SqliteCatalog(const std::string& databasePath) {
  // Created owner-only before SQLite sees it; its journal files take the same mode.
  int fd = ::open(databasePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  if (sqlite3_open_v2(databasePath.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw CatalogError("cannot open catalog " + databasePath + ": " + why);
  }
  // Account tools may run beside a serving process: wait for its writes instead of failing.
  sqlite3_busy_timeout(db_, 10000);
  try {
    Execute("PRAGMA journal_mode=WAL");
    // An acknowledged file must survive a power cut, not only a crash of this process.
    Execute("PRAGMA synchronous=FULL");
    // Room for a large account's listing pages, so a repeated listing reads no file.
    Execute("PRAGMA cache_size=-65536");
    CreateOrUpgradeTables();
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

SqliteCatalog::~SqliteCatalog() { sqlite3_close(db_); }

void SqliteCatalog::CreateOrUpgradeTables() {
  Transaction transaction(db_);
  Execute(
      "CREATE TABLE IF NOT EXISTS users("
      " name BLOB PRIMARY KEY, password BLOB NOT NULL, quota_kb INTEGER NOT NULL,"
      " used_kb INTEGER NOT NULL DEFAULT 0)");
  Execute(
      "CREATE TABLE IF NOT EXISTS files("
      " user BLOB NOT NULL, path BLOB NOT NULL, size INTEGER NOT NULL,"
      " modified INTEGER NOT NULL, stored_bytes INTEGER NOT NULL, object TEXT NOT NULL,"
      " PRIMARY KEY(user, path))");
  // The listing's columns in the listing's order: a listing reads this index alone.
  Execute(
      "CREATE INDEX IF NOT EXISTS files_listing"
      " ON files(user, path, size, modified, stored_bytes)");
  Statement version(db_, "PRAGMA user_version");
  version.Step();
  std::int64_t found = version.Integer(0);
  if (found > kSchemaVersion)
    throw CatalogError("the catalog was made by a newer server (schema version " +
                       std::to_string(found) + ")");
  if (found < 1) {
    // Catalogs from before the usage figure: add it and compute it once from the rows.
    Statement column(db_, "SELECT COUNT(*) FROM pragma_table_info('users') WHERE name = 'used_kb'");
    column.Step();
    if (column.Integer(0) == 0)
      Execute("ALTER TABLE users ADD COLUMN used_kb INTEGER NOT NULL DEFAULT 0");
    Execute(
        "UPDATE users SET used_kb = (SELECT COALESCE(SUM((stored_bytes + 1023) / 1024), 0)"
        " FROM files WHERE files.user = users.name)");
  }
  Execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  transaction.Commit();
}

void SqliteCatalog::Execute(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
    throw CatalogError(sqlite3_errmsg(db_));
}

bool SqliteCatalog::AddUser(const std::string& name, const std::string& password,
                            std::int64_t quotaKb) {
  std::string hash = HashPassword(password);
  std::lock_guard<std::mutex> hold(mutex_);
  Statement insert(db_, "INSERT OR IGNORE INTO users(name, password, quota_kb) VALUES(?, ?, ?)");
  insert.Bind(1, name).Bind(2, hash).Bind(3, quotaKb).Step();
  return sqlite3_changes(db_) == 1;
}

bool SqliteCatalog::SetQuota(const std::string& name, std::int64_t quotaKb) {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement update(db_, "UPDATE users SET quota_kb = ? WHERE name = ?");
  update.Bind(1, quotaKb).Bind(2, name).Step();
  return sqlite3_changes(db_) == 1;
}

bool SqliteCatalog::SetPassword(const std::string& name, const std::string& password) {
  std::string hash = HashPassword(password);
  std::lock_guard<std::mutex> hold(mutex_);
  Statement update(db_, "UPDATE users SET password = ? WHERE name = ?");
  update.Bind(1, hash).Bind(2, name).Step();
  return sqlite3_changes(db_) == 1;
}

std::vector<Account> SqliteCatalog::Accounts() {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement query(db_,
                  "SELECT u.name, u.quota_kb, u.used_kb,"
                  " (SELECT COUNT(*) FROM files f WHERE f.user = u.name)"
                  " FROM users u ORDER BY u.name");
  std::vector<Account> accounts;
  while (query.Step())
    accounts.push_back({query.Text(0), query.Integer(1), query.Integer(2), query.Integer(3)});
  return accounts;
}

bool SqliteCatalog::PasswordMatches(const std::string& name, const std::string& password) {
  std::string stored;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    Statement query(db_, "SELECT password FROM users WHERE name = ?");
    query.Bind(1, name);
    if (!query.Step()) return false;
    stored = query.Text(0);
  }
  // The slow digest runs outside the lock, so one login never holds up other connections.
  return PasswordMatchesHash(password, stored);
}

std::optional<Quota> SqliteCatalog::QuotaOf(const std::string& user) {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement query(db_, "SELECT quota_kb, used_kb FROM users WHERE name = ?");
  query.Bind(1, user);
  if (!query.Step()) return std::nullopt;
  return Quota{query.Integer(1), query.Integer(0)};
}

std::optional<StoredFile> SqliteCatalog::Find(const std::string& user, const std::string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement query(db_,
                  "SELECT size, modified, stored_bytes, object FROM files"
                  " WHERE user = ? AND path = ?");
  query.Bind(1, user).Bind(2, path);
  if (!query.Step()) return std::nullopt;
  return StoredFile{path, query.Integer(0), query.Integer(1), query.Integer(2), query.Text(3)};
}

void SqliteCatalog::EachFile(const std::string& user,
                             const std::function<void(const StoredFile&)>& visit) {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement query(db_,
                  "SELECT path, size, modified, stored_bytes FROM files"
                  " WHERE user = ? ORDER BY path");
  query.Bind(1, user);
  StoredFile file;  // one row's storage, reused
  while (query.Step()) {
    query.Text(0, file.path);
    file.size = query.Integer(1);
    file.modified = query.Integer(2);
    file.storedBytes = query.Integer(3);
    visit(file);
  }
}

bool SqliteCatalog::FitsLocked(const std::string& user, const std::string& path,
                               std::int64_t storedBytes) {
  Statement query(db_,
                  "SELECT quota_kb, used_kb, (SELECT stored_bytes FROM files"
                  " WHERE user = ?1 AND path = ?2) FROM users WHERE name = ?1");
  query.Bind(1, user).Bind(2, path);
  if (!query.Step()) return false;
  std::int64_t replacedKb = KilobytesOf(query.Integer(2));  // NULL reads as 0
  return KilobytesOf(storedBytes) <= query.Integer(0) - (query.Integer(1) - replacedKb);
}

bool SqliteCatalog::Fits(const std::string& user, const std::string& path,
                         std::int64_t storedBytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  return FitsLocked(user, path, storedBytes);
}

CommitResult SqliteCatalog::Commit(const std::string& user, const StoredFile& file,
                                   std::string& replacedObject) {
  std::lock_guard<std::mutex> hold(mutex_);
  Transaction transaction(db_);
  replacedObject.clear();
  std::int64_t replacedKb = 0;
  {
    Statement old(db_,
                  "SELECT size, modified, object, stored_bytes FROM files"
                  " WHERE user = ? AND path = ?");
    old.Bind(1, user).Bind(2, file.path);
    if (old.Step()) {
      StoredFile stored;
      stored.size = old.Integer(0);
      stored.modified = old.Integer(1);
      if (Supersedes(stored, file)) return CommitResult::Superseded;
      replacedObject = old.Text(2);
      replacedKb = KilobytesOf(old.Integer(3));
    }
  }
  if (!FitsLocked(user, file.path, file.storedBytes)) {
    replacedObject.clear();
    return CommitResult::OverQuota;
  }
  Statement upsert(db_,
                   "INSERT OR REPLACE INTO files(user, path, size, modified, stored_bytes, object)"
                   " VALUES(?, ?, ?, ?, ?, ?)");
  upsert.Bind(1, user)
      .Bind(2, file.path)
      .Bind(3, file.size)
      .Bind(4, file.modified)
      .Bind(5, file.storedBytes)
      .Bind(6, file.object)
      .Step();
  AddUsage(user, KilobytesOf(file.storedBytes) - replacedKb);
  transaction.Commit();
  return CommitResult::Stored;
}

void SqliteCatalog::AddUsage(const std::string& user, std::int64_t kilobytes) {
  Statement update(db_, "UPDATE users SET used_kb = used_kb + ? WHERE name = ?");
  update.Bind(1, kilobytes).Bind(2, user).Step();
}

std::optional<std::string> SqliteCatalog::Remove(const std::string& user, const std::string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  Transaction transaction(db_);
  std::optional<std::string> object;
  std::int64_t removedKb = 0;
  {
    Statement old(db_, "SELECT object, stored_bytes FROM files WHERE user = ? AND path = ?");
    old.Bind(1, user).Bind(2, path);
    if (old.Step()) {
      object = old.Text(0);
      removedKb = KilobytesOf(old.Integer(1));
    }
  }
  if (!object) return std::nullopt;
  Statement erase(db_, "DELETE FROM files WHERE user = ? AND path = ?");
  erase.Bind(1, user).Bind(2, path).Step();
  AddUsage(user, -removedKb);
  transaction.Commit();
  return object;
}

std::vector<std::string> SqliteCatalog::Objects() {
  std::lock_guard<std::mutex> hold(mutex_);
  Statement query(db_, "SELECT object FROM files");
  std::vector<std::string> objects;
  while (query.Step()) objects.push_back(query.Text(0));
  return objects;
}

}  // namespace arkvale::server
