#include "client/transfer/CompareResult.h"

#include <QCoreApplication>
#include <QString>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Descriptors.h"
#include "platform/Files.h"

namespace arkvale {
namespace {

std::string Tr(const char* text) {
  return QCoreApplication::translate("Compare", text).toStdString();
}

// All arguments at once, so a "%2" inside a path is never taken for a place holder.
template <typename... Args>
std::string Tr(const char* text, const Args&... args) {
  return QCoreApplication::translate("Compare", text).arg(args...).toStdString();
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

CompareResult Started(const IndexEntry& row, CompareOutcome outcome) {
  CompareResult result;
  result.path = row.name;
  result.outcome = outcome;
  result.storedSize = static_cast<uint32_t>(row.size);
  result.storedTime = row.modified;
  if (std::optional<plat::FileStatus> local = plat::StatFile(row.name); local && local->isFile) {
    result.hasLocal = true;
    result.localSize = local->size;
    result.localTime = local->modificationTime;
  }
  return result;
}

// Whether the local stream and the restored file hold the same bytes to their ends; nullopt
// when one cannot be read.
std::optional<bool> SameBytes(FILE* local, int restoredFd) {
  constexpr std::size_t kChunk = 64 * 1024;
  auto mine = std::make_unique<char[]>(kChunk);
  auto stored = std::make_unique<char[]>(kChunk);
  uint64_t offset = 0;
  while (true) {
    const std::size_t gotMine = std::fread(mine.get(), 1, kChunk, local);
    if (std::ferror(local)) return std::nullopt;
    std::size_t gotStored = 0;
    while (gotStored < kChunk) {
      const long got = plat::ReadAt(restoredFd, stored.get() + gotStored, kChunk - gotStored,
                                    offset + gotStored);
      if (got < 0) return std::nullopt;
      if (got == 0) break;
      gotStored += static_cast<std::size_t>(got);
    }
    if (gotMine != gotStored || std::memcmp(mine.get(), stored.get(), gotMine) != 0) return false;
    if (gotMine < kChunk) return true;
    offset += gotMine;
  }
}

}  // namespace

CompareResult CompareWithOriginal(const IndexEntry& row, int restoredFd) {
  CompareResult result = Started(row, CompareOutcome::Missing);
  const std::optional<uint64_t> restoredSize = plat::SizeOf(restoredFd);
  if (restoredSize) result.storedSize = *restoredSize;
  if (!result.hasLocal) return result;
  File local(plat::OpenStream(row.name, "rb"));
  if (!local) {
    result.outcome = CompareOutcome::NotCompared;
    result.detail =
        Tr("the file here could not be read: %1", QString::fromLocal8Bit(std::strerror(errno)));
    return result;
  }
  if (!restoredSize) {
    result.outcome = CompareOutcome::NotCompared;
    result.detail = Tr("its restored copy could not be read");
    return result;
  }
  if (*restoredSize != result.localSize) {
    result.outcome = CompareOutcome::Differs;
    return result;
  }
  const std::optional<bool> same = SameBytes(local.get(), restoredFd);
  if (!same) {
    result.outcome = CompareOutcome::NotCompared;
    result.detail = Tr("a read failed while comparing");
    return result;
  }
  result.outcome = *same ? CompareOutcome::Same : CompareOutcome::Differs;
  return result;
}

CompareResult DamagedResult(const IndexEntry& row, const std::string& detail) {
  CompareResult result = Started(row, CompareOutcome::Damaged);
  result.detail = detail;
  return result;
}

CompareResult NotComparedResult(const IndexEntry& row, const std::string& detail) {
  CompareResult result = Started(row, CompareOutcome::NotCompared);
  result.detail = detail;
  return result;
}

std::string OutcomeText(CompareOutcome outcome) {
  switch (outcome) {
    case CompareOutcome::Same:
      return Tr("same");
    case CompareOutcome::Differs:
      return Tr("differs");
    case CompareOutcome::Missing:
      return Tr("missing on this computer");
    case CompareOutcome::Damaged:
      return Tr("could not be decrypted or decompressed");
    case CompareOutcome::NotCompared:
      break;
  }
  return Tr("not compared");
}

std::string CompareTimeText(std::time_t when) {
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return {};
  std::array<char, 32> text{};
  if (std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local) == 0) return {};
  return text.data();
}

std::string CompareLogText(const CompareResult& r) {
  const QString path = Q(r.path);
  switch (r.outcome) {
    case CompareOutcome::Same:
      return {};
    case CompareOutcome::Differs:
      return Tr(
          "Compare: %1 differs from its stored copy (stored: %2 bytes, %3; here: %4 bytes, %5)",
          path, QString::number(r.storedSize), Q(CompareTimeText(r.storedTime)),
          QString::number(r.localSize), Q(CompareTimeText(r.localTime)));
    case CompareOutcome::Missing:
      return Tr("Compare: %1 is missing on this computer", path);
    case CompareOutcome::Damaged:
      return Tr(
          "Compare: the stored copy of %1 could not be decrypted or decompressed (wrong key "
          "or damaged data)",
          path);
    case CompareOutcome::NotCompared:
      break;
  }
  return Tr("Compare: %1 was not compared: %2", path, Q(r.detail));
}

std::string CompareSummary(const std::vector<CompareResult>& results) {
  int counts[5] = {};
  for (const CompareResult& r : results) ++counts[static_cast<int>(r.outcome)];
  std::string text =
      Tr("%1 same, %2 differ, %3 missing, %4 damaged", QString::number(counts[0]),
         QString::number(counts[1]), QString::number(counts[2]), QString::number(counts[3]));
  if (counts[4] != 0) text += Tr(", %1 not compared", QString::number(counts[4]));
  return text;
}

}  // namespace arkvale
