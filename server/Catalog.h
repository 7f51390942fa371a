#pragma once
// The server's catalog: accounts with their passwords and quotas, and per account the stored
// files under the client's full path.
//
// Quota figures are kilobytes of 1024 bytes. A stored file counts ceil(stored bytes / 1024), the
// usage of an account is the sum over its files.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace arkvale::server {

class CatalogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoredFile {
  std::string path;              // the client's full path, a key and nothing else
  std::int64_t size = 0;         // size on the client, as the client reported it
  std::int64_t modified = 0;     // modification time on the client, seconds since 1970
  std::int64_t storedBytes = 0;  // length of the (encrypted) data kept for it
  std::string object;            // id of the data file in the object store
};

struct Account {
  std::string name;
  std::int64_t quotaKb = 0;
  std::int64_t usedKb = 0;
  std::int64_t files = 0;
};

struct Quota {
  std::int64_t usedKb = 0;
  std::int64_t limitKb = 0;
};

std::int64_t KilobytesOf(std::int64_t bytes);

// A stored copy of the same size and at least as late makes an offered file unnecessary.
bool Supersedes(const StoredFile& stored, const StoredFile& offered);

enum class CommitResult { Stored, Superseded, OverQuota };

// The catalog's interface; each implementation makes every change one transaction and applies
// the quota and the "not needed" rule inside it, so any number of sessions (or servers sharing
// one database) may call it at once.
class Catalog {
 public:
  virtual ~Catalog() = default;

  // False when the name is taken.
  virtual bool AddUser(const std::string& name, const std::string& password,
                       std::int64_t quotaKb) = 0;
  // False when there is no such user.
  virtual bool SetQuota(const std::string& name, std::int64_t quotaKb) = 0;
  virtual bool SetPassword(const std::string& name, const std::string& password) = 0;
  virtual std::vector<Account> Accounts() = 0;
  virtual bool PasswordMatches(const std::string& name, const std::string& password) = 0;

  virtual std::optional<Quota> QuotaOf(const std::string& user) = 0;
  virtual std::optional<StoredFile> Find(const std::string& user, const std::string& path) = 0;
  // The account's files in path order, for the listing: path, size, time and stored bytes (the
  // object id is left empty). Each row is handed to visit as it is read, so a large account's
  // listing is never held twice.
  virtual void EachFile(const std::string& user,
                        const std::function<void(const StoredFile&)>& visit) = 0;
  // The same rows, collected.
  std::vector<StoredFile> Files(const std::string& user);
  // Whether storedBytes of data under path (replacing its present copy) stay within the quota.
  virtual bool Fits(const std::string& user, const std::string& path, std::int64_t storedBytes) = 0;
  // Records file as stored; the replaced copy's object id goes to replacedObject. Nothing changes
  // when another connection stored a copy that supersedes it meanwhile, or when it would take
  // the account over its quota.
  virtual CommitResult Commit(const std::string& user, const StoredFile& file,
                              std::string& replacedObject) = 0;
  // Forgets path; the object id of its data, or nullopt when it was not stored.
  virtual std::optional<std::string> Remove(const std::string& user, const std::string& path) = 0;
  // Every object id the catalog refers to.
  virtual std::vector<std::string> Objects() = 0;
};

}  // namespace arkvale::server
