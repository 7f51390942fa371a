#include "server/PostgresCatalog.h"

#include <endian.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "server/PasswordHash.h"
#include "server/ServerLog.h"

namespace arkvale::server {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kSchemaVersion = 1;
// Serialises table creation when several servers start on an empty database at once.
constexpr const char* kSchemaLockKey = "727311071";
constexpr milliseconds kFirstBackoff{100};
constexpr milliseconds kLongestBackoff{5000};
constexpr auto kWaitForConnection = std::chrono::seconds(30);

constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kTextOid = 25;

// The connection broke: the call may be retried on a new one.
class ConnectionLost : public CatalogError {
 public:
  using CatalogError::CatalogError;
};

// A query parameter in binary form, so paths keep the client's exact bytes.
struct Param {
  std::string bytes;
  Oid type;
};
Param Bytes(const std::string& value) { return {value, kByteaOid}; }
Param Text(const std::string& value) { return {value, kTextOid}; }
Param Int(std::int64_t value) {
  std::uint64_t network = htobe64(static_cast<std::uint64_t>(value));
  return {std::string(reinterpret_cast<const char*>(&network), sizeof network), kInt8Oid};
}

std::string Trimmed(const char* message) {
  std::string text = message ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? std::string("unknown PostgreSQL error") : text;
}

// A result in binary form; every number column is bigint.
class Result {
 public:
  explicit Result(PGresult* result) : result_(result) {}
  ~Result() { PQclear(result_); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  int Rows() const { return PQntuples(result_); }
  bool IsNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
  std::string Bytes(int row, int column) const {
    return std::string(PQgetvalue(result_, row, column),
                       static_cast<std::size_t>(PQgetlength(result_, row, column)));
  }
  std::int64_t Int(int row, int column) const {
    if (PQgetlength(result_, row, column) != 8) throw CatalogError("unexpected catalog column");
    std::uint64_t network = 0;
    std::memcpy(&network, PQgetvalue(result_, row, column), sizeof network);
    return static_cast<std::int64_t>(be64toh(network));
  }
  std::int64_t Affected() const { return std::atoll(PQcmdTuples(result_)); }

 private:
  PGresult* result_;
};

}  // namespace

// One borrowed connection.
class PostgresCatalog::Session {
 public:
  explicit Session(PGconn* connection) : connection_(connection) {}

  Result Run(const char* sql, std::initializer_list<Param> params = {}) {
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    std::vector<Oid> types;
    for (const Param& param : params) {
      values.push_back(param.bytes.data());
      lengths.push_back(static_cast<int>(param.bytes.size()));
      formats.push_back(1);
      types.push_back(param.type);
    }
    PGresult* raw = PQexecParams(connection_, sql, static_cast<int>(values.size()), types.data(),
                                 values.data(), lengths.data(), formats.data(), 1);
    ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Result(raw);
    std::string why = Trimmed(raw ? PQresultErrorMessage(raw) : PQerrorMessage(connection_));
    PQclear(raw);
    if (PQstatus(connection_) == CONNECTION_BAD)
      throw ConnectionLost("catalog connection lost: " + why);
    throw CatalogError("catalog: " + why);
  }

  // Rolls back unless committed, so an exception never leaves a transaction open.
  class Transaction {
   public:
    explicit Transaction(Session& session) : session_(session) { session_.Run("BEGIN"); }
    ~Transaction() {
      if (open_ && PQstatus(session_.connection_) == CONNECTION_OK)
        PQclear(PQexec(session_.connection_, "ROLLBACK"));
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
      open_ = false;
      session_.Run("COMMIT");
    }

   private:
    Session& session_;
    bool open_ = true;
  };

 private:
  PGconn* connection_;
};

using Session = PostgresCatalog::Session;

PostgresCatalog::PostgresCatalog(std::string uri, int maxConnections)
    : uri_(std::move(uri)), maxConnections_(maxConnections) {
  CreateTables();
}

PostgresCatalog::~PostgresCatalog() {
  for (PGconn* connection : idle_) PQfinish(connection);
}

PGconn* PostgresCatalog::Connect() {
  // Our defaults give way to the URI's settings and to libpq's environment variables.
  std::vector<const char*> keys, values;
  auto fallback = [&](const char* key, const char* environment, const char* value) {
    if (std::getenv(environment)) return;
    keys.push_back(key);
    values.push_back(value);
  };
  fallback("connect_timeout", "PGCONNECT_TIMEOUT", "5");
  // A lock or a database that stopped answering must not hold a session for ever.
  fallback("options", "PGOPTIONS", "-c statement_timeout=30000");
  keys.insert(keys.end(), {"keepalives_idle", "keepalives_interval", "keepalives_count"});
  values.insert(values.end(), {"30", "10", "3"});
  keys.push_back("dbname");
  values.push_back(uri_.c_str());
  keys.push_back(nullptr);
  values.push_back(nullptr);
  PGconn* connection = PQconnectdbParams(keys.data(), values.data(), 1);
  if (connection == nullptr) throw CatalogError("catalog: out of memory");
  if (PQstatus(connection) != CONNECTION_OK) {
    std::string why = Trimmed(PQerrorMessage(connection));
    PQfinish(connection);
    throw CatalogError("cannot reach the catalog: " + why);
  }
  // Notices (a table that already exists) are not news for the log.
  PQsetNoticeProcessor(
      connection, [](void*, const char*) {}, nullptr);
  return connection;
}

PGconn* PostgresCatalog::Acquire(bool& fresh) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto deadline = Clock::now() + kWaitForConnection;
  while (idle_.empty() && open_ >= maxConnections_)
    if (released_.wait_until(lock, deadline) == std::cv_status::timeout)
      throw CatalogError("catalog: no connection free");
  if (!idle_.empty()) {
    PGconn* connection = idle_.back();
    idle_.pop_back();
    fresh = false;
    return connection;
  }
  // While the database is unreachable, refuse at once instead of every session waiting for a
  // connect timeout; a new attempt is made when the pause is over.
  auto now = Clock::now();
  if (now < nextAttempt_)
    throw CatalogError(
        "catalog unreachable; next attempt in " +
        std::to_string(std::chrono::duration_cast<milliseconds>(nextAttempt_ - now).count()) +
        " ms");
  ++open_;
  lock.unlock();
  try {
    PGconn* connection = Connect();
    lock.lock();
    if (backoff_.count() > 0) LogLine("catalog reachable again");
    backoff_ = milliseconds(0);
    fresh = true;
    return connection;
  } catch (const CatalogError& e) {
    if (!lock.owns_lock()) lock.lock();
    --open_;
    backoff_ = std::min(kLongestBackoff, std::max(kFirstBackoff, backoff_ * 2));
    nextAttempt_ = Clock::now() + backoff_;
    LogLine(std::string(e.what()) + "; next attempt in " + std::to_string(backoff_.count()) +
            " ms");
    released_.notify_one();
    throw;
  }
}

void PostgresCatalog::Release(PGconn* connection, bool broken) {
  std::vector<PGconn*> dropped;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (broken || PQstatus(connection) != CONNECTION_OK ||
        PQtransactionStatus(connection) != PQTRANS_IDLE) {
      dropped.push_back(connection);
      // A broken connection usually means a restarted or lost database: its siblings are stale.
      if (broken) {
        dropped.insert(dropped.end(), idle_.begin(), idle_.end());
        idle_.clear();
      }
      open_ -= static_cast<int>(dropped.size());
    } else {
      idle_.push_back(connection);
    }
  }
  for (PGconn* gone : dropped) PQfinish(gone);
  released_.notify_all();
}

template <typename Work>
auto PostgresCatalog::WithSession(Work work) {
  for (int attempt = 0;; ++attempt) {
    bool fresh = false;
    PGconn* connection = Acquire(fresh);
    try {
      Session session(connection);
      auto result = work(session);
      Release(connection, false);
      return result;
    } catch (const ConnectionLost&) {
      Release(connection, true);
      // A pooled connection may have died while idle: one more try on a new one.
      if (fresh || attempt > 0) throw;
    } catch (...) {
      Release(connection, false);
      throw;
    }
  }
}

void PostgresCatalog::CreateTables() {
  WithSession([](Session& session) {
    Session::Transaction transaction(session);
    session.Run((std::string("SELECT pg_advisory_xact_lock(") + kSchemaLockKey + ")").c_str());
    session.Run("CREATE TABLE IF NOT EXISTS arkvale_schema(version integer NOT NULL)");
    session.Run(
        "CREATE TABLE IF NOT EXISTS arkvale_users("
        " name bytea PRIMARY KEY, password bytea NOT NULL, quota_kb bigint NOT NULL,"
        " used_kb bigint NOT NULL DEFAULT 0)");
    session.Run(
        "CREATE TABLE IF NOT EXISTS arkvale_files("
        " owner bytea NOT NULL, path bytea NOT NULL, size bigint NOT NULL,"
        " modified bigint NOT NULL, stored_bytes bigint NOT NULL, object text NOT NULL,"
        " PRIMARY KEY(owner, path))");
    Result version = session.Run("SELECT version::bigint FROM arkvale_schema");
    if (version.Rows() == 0)
      session.Run("INSERT INTO arkvale_schema(version) VALUES($1::bigint)", {Int(kSchemaVersion)});
    else if (version.Int(0, 0) > kSchemaVersion)
      throw CatalogError("the catalog was made by a newer server (schema version " +
                         std::to_string(version.Int(0, 0)) + ")");
    transaction.Commit();
    return 0;
  });
}

bool PostgresCatalog::AddUser(const std::string& name, const std::string& password,
                              std::int64_t quotaKb) {
  std::string hash = HashPassword(password);
  return WithSession([&](Session& session) {
    return session
               .Run(
                   "INSERT INTO arkvale_users(name, password, quota_kb) VALUES($1, $2, $3)"
                   " ON CONFLICT DO NOTHING",
                   {Bytes(name), Bytes(hash), Int(quotaKb)})
               .Affected() == 1;
  });
}

bool PostgresCatalog::SetQuota(const std::string& name, std::int64_t quotaKb) {
  return WithSession([&](Session& session) {
    return session
               .Run("UPDATE arkvale_users SET quota_kb = $1 WHERE name = $2",
                    {Int(quotaKb), Bytes(name)})
               .Affected() == 1;
  });
}

bool PostgresCatalog::SetPassword(const std::string& name, const std::string& password) {
  std::string hash = HashPassword(password);
  return WithSession([&](Session& session) {
    return session
               .Run("UPDATE arkvale_users SET password = $1 WHERE name = $2",
                    {Bytes(hash), Bytes(name)})
               .Affected() == 1;
  });
}

std::vector<Account> PostgresCatalog::Accounts() {
  return WithSession([](Session& session) {
    Result rows = session.Run(
        "SELECT u.name, u.quota_kb, u.used_kb,"
        " (SELECT count(*) FROM arkvale_files f WHERE f.owner = u.name)"
        " FROM arkvale_users u ORDER BY u.name");
    std::vector<Account> accounts;
    for (int i = 0; i < rows.Rows(); ++i)
      accounts.push_back({rows.Bytes(i, 0), rows.Int(i, 1), rows.Int(i, 2), rows.Int(i, 3)});
    return accounts;
  });
}

bool PostgresCatalog::PasswordMatches(const std::string& name, const std::string& password) {
  std::optional<std::string> stored = WithSession([&](Session& session) {
    Result row = session.Run("SELECT password FROM arkvale_users WHERE name = $1", {Bytes(name)});
    return row.Rows() == 0 ? std::nullopt : std::optional<std::string>(row.Bytes(0, 0));
  });
  // The slow digest runs without a connection held.
  return stored && PasswordMatchesHash(password, *stored);
}

std::optional<Quota> PostgresCatalog::QuotaOf(const std::string& user) {
  return WithSession([&](Session& session) -> std::optional<Quota> {
    Result row =
        session.Run("SELECT used_kb, quota_kb FROM arkvale_users WHERE name = $1", {Bytes(user)});
    if (row.Rows() == 0) return std::nullopt;
    return Quota{row.Int(0, 0), row.Int(0, 1)};
  });
}

std::optional<StoredFile> PostgresCatalog::Find(const std::string& user, const std::string& path) {
  return WithSession([&](Session& session) -> std::optional<StoredFile> {
    Result row = session.Run(
        "SELECT size, modified, stored_bytes, object FROM arkvale_files"
        " WHERE owner = $1 AND path = $2",
        {Bytes(user), Bytes(path)});
    if (row.Rows() == 0) return std::nullopt;
    return StoredFile{path, row.Int(0, 0), row.Int(0, 1), row.Int(0, 2), row.Bytes(0, 3)};
  });
}

void PostgresCatalog::EachFile(const std::string& user,
                               const std::function<void(const StoredFile&)>& visit) {
  // Collected first: a call retried on a new connection must not visit a row twice.
  std::vector<StoredFile> files = WithSession([&](Session& session) {
    Result rows = session.Run(
        "SELECT path, size, modified, stored_bytes FROM arkvale_files"
        " WHERE owner = $1 ORDER BY path",
        {Bytes(user)});
    std::vector<StoredFile> found;
    found.reserve(static_cast<std::size_t>(rows.Rows()));
    for (int i = 0; i < rows.Rows(); ++i)
      found.push_back({rows.Bytes(i, 0), rows.Int(i, 1), rows.Int(i, 2), rows.Int(i, 3), {}});
    return found;
  });
  for (const StoredFile& file : files) visit(file);
}

bool PostgresCatalog::Fits(const std::string& user, const std::string& path,
                           std::int64_t storedBytes) {
  return WithSession([&](Session& session) {
    Result row = session.Run(
        "SELECT quota_kb, used_kb, (SELECT stored_bytes FROM arkvale_files"
        " WHERE owner = $1 AND path = $2) FROM arkvale_users WHERE name = $1",
        {Bytes(user), Bytes(path)});
    if (row.Rows() == 0) return false;
    std::int64_t replacedKb = row.IsNull(0, 2) ? 0 : KilobytesOf(row.Int(0, 2));
    return KilobytesOf(storedBytes) <= row.Int(0, 0) - (row.Int(0, 1) - replacedKb);
  });
}

CommitResult PostgresCatalog::Commit(const std::string& user, const StoredFile& file,
                                     std::string& replacedObject) {
  return WithSession([&](Session& session) {
    replacedObject.clear();
    Session::Transaction transaction(session);
    // The account's row lock serialises this account's changes across every server.
    Result account = session.Run(
        "SELECT quota_kb, used_kb FROM arkvale_users WHERE name = $1 FOR UPDATE", {Bytes(user)});
    if (account.Rows() == 0) return CommitResult::OverQuota;
    Result old = session.Run(
        "SELECT size, modified, stored_bytes, object FROM arkvale_files"
        " WHERE owner = $1 AND path = $2",
        {Bytes(user), Bytes(file.path)});
    std::int64_t replacedKb = 0;
    std::string replaced;
    if (old.Rows() > 0) {
      // Already recorded: a retry after the connection broke during the commit.
      if (old.Bytes(0, 3) == file.object) return CommitResult::Stored;
      StoredFile stored;
      stored.size = old.Int(0, 0);
      stored.modified = old.Int(0, 1);
      if (Supersedes(stored, file)) return CommitResult::Superseded;
      replacedKb = KilobytesOf(old.Int(0, 2));
      replaced = old.Bytes(0, 3);
    }
    std::int64_t addedKb = KilobytesOf(file.storedBytes);
    if (addedKb > account.Int(0, 0) - (account.Int(0, 1) - replacedKb))
      return CommitResult::OverQuota;
    session.Run(
        "INSERT INTO arkvale_files(owner, path, size, modified, stored_bytes, object)"
        " VALUES($1, $2, $3, $4, $5, $6) ON CONFLICT (owner, path) DO UPDATE SET"
        " size = EXCLUDED.size, modified = EXCLUDED.modified,"
        " stored_bytes = EXCLUDED.stored_bytes, object = EXCLUDED.object",
        {Bytes(user), Bytes(file.path), Int(file.size), Int(file.modified), Int(file.storedBytes),
         Text(file.object)});
    session.Run("UPDATE arkvale_users SET used_kb = used_kb + $1 WHERE name = $2",
                {Int(addedKb - replacedKb), Bytes(user)});
    transaction.Commit();
    replacedObject = replaced;
    return CommitResult::Stored;
  });
}

std::optional<std::string> PostgresCatalog::Remove(const std::string& user,
                                                   const std::string& path) {
  return WithSession([&](Session& session) -> std::optional<std::string> {
    Session::Transaction transaction(session);
    // Locked first, in the same order as a commit takes them.
    session.Run("SELECT 1 FROM arkvale_users WHERE name = $1 FOR UPDATE", {Bytes(user)});
    Result gone = session.Run(
        "DELETE FROM arkvale_files WHERE owner = $1 AND path = $2 RETURNING object, stored_bytes",
        {Bytes(user), Bytes(path)});
    if (gone.Rows() == 0) return std::nullopt;
    session.Run("UPDATE arkvale_users SET used_kb = used_kb - $1 WHERE name = $2",
                {Int(KilobytesOf(gone.Int(0, 1))), Bytes(user)});
    transaction.Commit();
    return gone.Bytes(0, 0);
  });
}

std::vector<std::string> PostgresCatalog::Objects() {
  return WithSession([](Session& session) {
    Result rows = session.Run("SELECT object FROM arkvale_files");
    std::vector<std::string> objects;
    for (int i = 0; i < rows.Rows(); ++i) objects.push_back(rows.Bytes(i, 0));
    return objects;
  });
}

}  // namespace arkvale::server
