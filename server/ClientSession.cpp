#include "server/ClientSession.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>

#include "server/CredentialsCheck.h"
#include "server/ServerLog.h"

namespace arkvale::server {

namespace {

constexpr std::size_t kMaxCredentials = 300;
// Bound of any path-like message; longer ones end the connection.
constexpr std::size_t kMaxMessage = 4096;
// Longest path kept, so that every listing line fits the client's 1000-byte line buffer.
constexpr std::size_t kMaxPath = 900;
constexpr std::size_t kMaxCountDigits = 12;
constexpr std::size_t kMaxSizeDigits = 20;
constexpr int kMaxLogins = 3;

// Commands of a logged-in client. "OK" comes last: it only ever ends an exchange.
constexpr std::string_view kCommands[] = {"SEND_QUOTA_DATA",      "PING",    "DISCONNECT", "BACKUP",
                                          "SEND_BACKED_UP_FILES", "RESTORE", "DELETE",     "OK"};
// The commands that can start a new exchange.
constexpr std::span<const std::string_view> kOpeningCommands(kCommands, std::size(kCommands) - 1);

// Replies of our own choosing: the client only needs them to differ from the words it expects.
constexpr std::string_view kLoginRefused = "DENIED";
constexpr std::string_view kNotNeeded = "NOT_NEEDED";
constexpr std::string_view kBadFileInfo = "BAD_FILE_INFO";
constexpr std::string_view kBadSize = "BAD_SIZE";
constexpr std::string_view kBadCount = "BAD_COUNT";
constexpr std::string_view kStorageError = "FILE_TRANSFER_ERROR";
constexpr std::string_view kUnknownCommand = "UNKNOWN_COMMAND";

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  T value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsStorablePath(std::string_view path) {
  if (path.empty() || path.size() > kMaxPath) return false;
  for (unsigned char c : path)
    if (c < 0x20 || c == 0x7f) return false;  // a TAB or newline would break the listing
  return true;
}

// "path?size?time", split at the last two '?' (a character no Windows path holds).
std::optional<StoredFile> ParseFileInfo(std::string_view info) {
  std::size_t timeMark = info.rfind('?');
  if (timeMark == std::string_view::npos || timeMark == 0) return std::nullopt;
  std::size_t sizeMark = info.rfind('?', timeMark - 1);
  if (sizeMark == std::string_view::npos) return std::nullopt;
  auto size = ParseNumber<std::int64_t>(info.substr(sizeMark + 1, timeMark - sizeMark - 1));
  auto modified = ParseNumber<std::int64_t>(info.substr(timeMark + 1));
  std::string_view path = info.substr(0, sizeMark);
  if (!size || !modified || !IsStorablePath(path)) return std::nullopt;
  StoredFile file;
  file.path = std::string(path);
  file.size = *size;
  file.modified = *modified;
  return file;
}

}  // namespace

ClientSession::ClientSession(int fd, int id, Catalog& catalog, ObjectStore& store,
                             SessionSettings settings)
    : channel_(fd, settings.timing),
      id_(id),
      catalog_(catalog),
      store_(store),
      settings_(settings) {}

void ClientSession::Log(const std::string& text) const { LogConnection(id_, text); }

void ClientSession::Run() {
  try {
    if (Login()) ServeCommands();
  } catch (const ConnectionEnded& e) {
    Log(std::string("connection ended: ") + e.what());
  } catch (const std::exception& e) {
    Log(std::string("connection dropped after an error: ") + e.what());
  }
}

bool ClientSession::Login() {
  for (int refusals = 0; refusals < kMaxLogins;) {
    std::string encrypted = channel_.ReadToken(kMaxCredentials);
    std::optional<Credentials> credentials;
    if (auto plain = DecryptCredentials(encrypted)) credentials = ParseCredentials(*plain);
    if (credentials && catalog_.PasswordMatches(credentials->user, credentials->password)) {
      user_ = credentials->user;
      channel_.Send("OK");
      Log("user " + Printable(user_) + " logged in");
      return true;
    }
    ++refusals;
    channel_.Send(kLoginRefused);
    Log(credentials ? "login refused for user " + Printable(credentials->user)
                    : std::string("login refused: credentials do not decrypt"));
  }
  Log("closing after " + std::to_string(kMaxLogins) + " refused logins");
  return false;
}

void ClientSession::ServeCommands() {
  for (;;) {
    try {
      if (!ServeCommand()) return;
    } catch (const CatalogError& e) {
      // The catalog failed in the middle of an exchange: a refusal in place of the expected
      // reply ends the client's dialogue, and the next command is served as usual.
      Log(std::string("exchange ended, the catalog failed: ") + e.what());
      channel_.Send(kStorageError);
    }
  }
}

bool ClientSession::ServeCommand() {
  switch (channel_.ExpectWord(kCommands)) {
    case 0:
      SendQuota();
      break;
    case 1:
      channel_.Send("GOT_YOUR_PING");
      break;
    case 2:
      Log("user " + Printable(user_) + " disconnected");
      return false;
    case 3:
      Backup();
      break;
    case 4:
      SendListing();
      break;
    case 5:
      Restore();
      break;
    case 6:
      Delete();
      break;
    case 7:
      // The index refresh sends "OK" even after a listing length of 0; nothing to answer.
      break;
    default:
      Log("unknown command refused");
      channel_.DiscardUntilQuiet();
      channel_.Send(kUnknownCommand);
      break;
  }
  return true;
}

void ClientSession::SendQuota() {
  Quota quota = catalog_.QuotaOf(user_).value_or(Quota{});
  channel_.Send(std::to_string(quota.usedKb) + ":" + std::to_string(quota.limitKb));
}

bool ClientSession::ClientLeftDialogue() {
  if (channel_.PeekWord(kOpeningCommands) < 0) return false;
  Log("client left the dialogue");
  return true;
}

std::optional<std::int64_t> ClientSession::ReadCount() {
  if (ClientLeftDialogue()) return std::nullopt;
  auto count = ParseNumber<std::int64_t>(channel_.ReadNumberText(kMaxCountDigits));
  if (count && *count >= 0 && *count <= std::numeric_limits<std::int32_t>::max()) return count;
  Log("malformed count refused");
  channel_.DiscardUntilQuiet();
  channel_.Send(kBadCount);
  return std::nullopt;
}

void ClientSession::Backup() {
  channel_.Send("HOW_MANY_FILES");
  std::optional<std::int64_t> count = ReadCount();
  if (!count) return;
  Log("backup of " + std::to_string(*count) + " files begins");
  bool promptIsReply = true;
  for (std::int64_t i = 0; i < *count; ++i) {
    // A client that speaks before we ask has left the dialogue; what it said is its next command.
    if (!promptIsReply && !channel_.StaysQuiet(settings_.promptGapMs)) {
      Log("client left the backup dialogue");
      return;
    }
    channel_.Send("SEND_ME_FILE_INFO");
    FileOutcome outcome = BackupOneFile();
    if (outcome == FileOutcome::EndDialogue) return;
    promptIsReply = outcome == FileOutcome::AnsweredWithPrompt;
  }
  Log("backup ends");
}

ClientSession::FileOutcome ClientSession::BackupOneFile() {
  if (channel_.ExpectWord({"STOP_BACKUP"}) == 0) {
    Log("backup stopped by the client");
    return FileOutcome::EndDialogue;
  }
  if (ClientLeftDialogue()) return FileOutcome::EndDialogue;
  // A description is complete by its form, so one whose path came in a segment of its own is
  // still joined with the rest.
  std::optional<StoredFile> offered = ParseFileInfo(channel_.ReadToken(
      kMaxMessage, [](std::string_view info) { return ParseFileInfo(info).has_value(); }));
  if (!offered) {
    Log("malformed file description refused");
    channel_.Send(kBadFileInfo);
    return FileOutcome::Answered;
  }
  std::string line = "file " + Printable(offered->path) + " (" + std::to_string(offered->size) +
                     " bytes, time " + std::to_string(offered->modified) + ")";
  std::optional<StoredFile> stored;
  try {
    stored = catalog_.Find(user_, offered->path);
  } catch (const CatalogError& e) {
    // Taken as needed: the commit applies the rule again, or refuses if the catalog still fails.
    Log(line + ": the catalog failed, taken as needed: " + e.what());
  }
  if (offered->size == 0 || (stored && Supersedes(*stored, *offered))) {
    Log(line + ": not needed");
    channel_.Send(kNotNeeded);
    return FileOutcome::Answered;
  }
  channel_.Send("SEND_FILE");
  if (ClientLeftDialogue()) return FileOutcome::EndDialogue;
  std::string sizeText = channel_.ReadNumberText(kMaxSizeDigits);
  auto bytes = ParseNumber<std::int64_t>(sizeText);
  if (bytes && *bytes == 0) {
    // The client could not read its file; the next request is the answer it waits for.
    Log(line + ": the client could not read it");
    return FileOutcome::AnsweredWithPrompt;
  }
  if (!bytes || *bytes < 0) {
    Log(line + ": malformed data size refused");
    channel_.DiscardUntilQuiet();
    channel_.Send(kBadSize);
    return FileOutcome::Answered;
  }
  offered->storedBytes = *bytes;
  return ReceiveFile(*offered, static_cast<std::uint64_t>(*bytes));
}

ClientSession::FileOutcome ClientSession::ReceiveFile(const StoredFile& offered,
                                                      std::uint64_t bytes) {
  std::string line =
      "file " + Printable(offered.path) + " (" + std::to_string(bytes) + " bytes of data)";
  bool fits = true;
  try {
    fits = catalog_.Fits(user_, offered.path, offered.storedBytes);
  } catch (const CatalogError& e) {
    // The commit checks the quota again, or refuses if the catalog still fails.
    Log(line + ": the catalog failed, the quota is checked at the commit: " + e.what());
  }
  channel_.Send("BEGIN_TO_SEND_THE_FILE");
  if (!fits) {
    channel_.ReadExact(bytes, [](std::string_view) {});
    Log(line + ": refused, over quota");
    channel_.Send("FILE_TRANSFER_FAILURE");
    return FileOutcome::EndDialogue;
  }

  std::string storeError;
  std::unique_ptr<ObjectStore::Upload> upload;
  try {
    upload = store_.BeginUpload(bytes);
  } catch (const StoreError& e) {
    storeError = e.what();
  }
  // A connection lost in here unwinds through the upload, which removes its partial data.
  channel_.ReadExact(bytes, [&](std::string_view piece) {
    if (!upload) return;
    try {
      upload->Write(piece);
    } catch (const StoreError& e) {
      storeError = e.what();
      upload.reset();
    }
  });
  StoredFile file = offered;
  if (upload) {
    try {
      file.object = upload->Commit();
    } catch (const StoreError& e) {
      storeError = e.what();
    }
    upload.reset();
  }
  if (!storeError.empty()) {
    Log(line + ": not stored: " + storeError);
    channel_.Send(kStorageError);
    return FileOutcome::EndDialogue;
  }

  std::string replaced;
  CommitResult result;
  try {
    result = catalog_.Commit(user_, file, replaced);
  } catch (const CatalogError& e) {
    store_.Remove(file.object);
    Log(line + ": not stored: " + e.what());
    channel_.Send(kStorageError);
    return FileOutcome::EndDialogue;
  }
  if (result == CommitResult::OverQuota) {
    store_.Remove(file.object);
    Log(line + ": refused, over quota");
    channel_.Send("FILE_TRANSFER_FAILURE");
    return FileOutcome::EndDialogue;
  }
  if (result == CommitResult::Superseded) {
    // Another connection stored this file's equal or later copy meanwhile; that one stays.
    store_.Remove(file.object);
    Log(line + ": a copy as late came first, that one is kept");
  } else {
    if (!replaced.empty()) store_.Remove(replaced);
    Log(line + ": stored");
  }
  channel_.Send("FILE_TRANSFER_SUCCESS");
  return FileOutcome::Answered;
}

void ClientSession::SendListing() {
  // One line per file, built in place: an account may hold a hundred thousand files.
  std::string listing;
  std::size_t files = 0;
  char number[kMaxSizeDigits + 1];
  auto append = [&](std::int64_t value, char after) {
    listing.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    listing.push_back(after);
  };
  catalog_.EachFile(user_, [&](const StoredFile& file) {
    ++files;
    listing += file.path;
    listing.push_back('\t');
    append(file.storedBytes, '\t');
    append(file.size, '\t');
    append(file.modified, '\n');
  });
  channel_.Send(std::to_string(listing.size()));
  Log("listing of " + std::to_string(files) + " files announced");
  // After a length of 0 nothing more belongs to this exchange; an "OK" the client may still send
  // is taken by the command loop.
  if (listing.empty()) return;
  if (channel_.ExpectWord({"OK"}) != 0) {
    Log("listing not asked for");
    return;
  }
  channel_.Send(listing);
}

void ClientSession::Restore() {
  channel_.Send("OK");
  std::optional<std::int64_t> count = ReadCount();
  if (!count) return;
  channel_.Send("OK");
  Log("restore of " + std::to_string(*count) + " files begins");
  for (std::int64_t i = 0; i < *count; ++i) {
    if (channel_.ExpectWord({"STOP_RESTORE"}) == 0) {
      Log("restore stopped by the client");
      return;
    }
    if (ClientLeftDialogue()) return;
    std::string path = channel_.ReadToken(kMaxMessage);
    std::optional<StoredFile> stored = catalog_.Find(user_, path);
    // Opened now, so a delete from another connection cannot take the data from under us. A store
    // that cannot be read ends the connection: an empty file offered instead would be restored.
    std::unique_ptr<ObjectStore::Reader> data;
    if (stored) {
      try {
        data = store_.Open(stored->object);
      } catch (const StoreError& e) {
        throw ConnectionEnded("stored data of " + Printable(path) + " unreachable: " + e.what());
      }
      if (!data) Log("file " + Printable(path) + ": its stored data is missing, offered as empty");
    }
    std::uint64_t size = data ? data->size() : 0;
    channel_.Send(std::to_string(size));
    int answer = channel_.ExpectWord({"DO_NOT_SEND_FILE", "SEND_FILE"});
    if (answer == 0) {
      Log("file " + Printable(path) + ": not wanted");
      continue;
    }
    if (answer != 1) {
      Log("unexpected answer to a size; restore ends");
      return;
    }
    std::uint64_t left = size;
    char piece[64 * 1024];
    while (left > 0) {
      std::size_t got = 0;
      try {
        got = data->Read(piece, std::min<std::uint64_t>(left, sizeof piece));
      } catch (const StoreError& e) {
        throw ConnectionEnded("stored data of " + Printable(path) + " unreadable: " + e.what());
      }
      // The size is announced; without the bytes the client cannot be kept in step.
      if (got == 0) throw ConnectionEnded("stored data of " + Printable(path) + " ended early");
      channel_.Send(std::string_view(piece, got));
      left -= got;
    }
    Log("file " + Printable(path) +
        (data ? ": sent, " + std::to_string(size) + " bytes" : ": sent nothing"));
    if (channel_.ExpectWord({"OK"}) != 0) {
      Log("no \"OK\" after the data; restore ends");
      return;
    }
  }
  Log("restore ends");
}

void ClientSession::Delete() {
  channel_.Send("HOW_MANY_FILES");
  std::optional<std::int64_t> count = ReadCount();
  if (!count) return;
  Log("delete of " + std::to_string(*count) + " files begins");
  for (std::int64_t i = 0; i < *count; ++i) {
    channel_.Send("SEND_ME_FILE_NAME");
    if (channel_.ExpectWord({"STOP_DELETE"}) == 0) {
      Log("delete stopped by the client");
      return;
    }
    if (ClientLeftDialogue()) return;
    std::string path = channel_.ReadToken(kMaxMessage);
    // The last name is followed at once by the client's quota query; it may share the segment.
    constexpr std::string_view kQuery = "SEND_QUOTA_DATA";
    if (i + 1 == *count && path.size() > kQuery.size() && path.ends_with(kQuery) &&
        !catalog_.Find(user_, path)) {
      path.resize(path.size() - kQuery.size());
      channel_.Unread(kQuery);
    }
    if (std::optional<std::string> object = catalog_.Remove(user_, path)) {
      store_.Remove(*object);
      Log("file " + Printable(path) + ": deleted");
    } else {
      Log("file " + Printable(path) + ": not stored, nothing to delete");
    }
  }
  Log("delete ends");
}

}  // namespace arkvale::server
