#include "client/transfer/BackupRows.h"

#include <algorithm>
#include <cctype>

#include "platform/DirectorySearch.h"
#include "platform/Files.h"

namespace arkvale {
namespace {

// Case-insensitive order of two texts, as the listing compares paths and names.
bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Decimal(uint32_t value) { return std::to_string(value); }

}  // namespace

BackupRows BuildBackupRows(const std::vector<ChosenDirectory>& directories,
                           const std::vector<ChosenFile>& files) {
  BackupRows rows;
  for (const ChosenDirectory& chosen : directories) {
    ChosenDirectoryRow row;
    row.path = chosen.path;
    if (auto entries = plat::ListDirectory(chosen.path)) {
      for (const plat::FindData& entry : *entries) {
        if (entry.attributes & plat::kFileAttributeDirectory) continue;
        ++row.fileCount;
        row.size += static_cast<uint32_t>(entry.size);
      }
    }
    if (auto status = plat::StatFile(chosen.path)) {
      row.lastWrite = status->modificationTime;
      row.lastWriteKnown = true;
    }
    rows.bytesSelected += row.size;
    rows.filesSelected += row.fileCount;
    rows.directories.push_back(std::move(row));
  }
  for (const ChosenFile& chosen : files) {
    std::optional<plat::FileStatus> status = plat::StatFile(chosen.fullPath);
    if (!status) continue;
    rows.files.push_back({chosen.directory, chosen.name, chosen.size, status->modificationTime});
    rows.bytesSelected += static_cast<uint32_t>(chosen.size);
    rows.filesSelected += 1;
  }
  return rows;
}

std::string DirectoryCell(const ChosenDirectoryRow& row, int column) {
  switch (column) {
    case 0:
      return row.path;
    case 1:
      return Decimal(row.fileCount);
    case 2:
      return Decimal(row.size);
    case 3:
      return row.lastWriteKnown ? FormatLastModified(row.lastWrite) : std::string();
    default:
      return {};
  }
}

std::string FileCell(const ChosenFileRow& row, int column) {
  switch (column) {
    case 0:
      return row.directory;
    case 1:
      return row.name;
    case 2:
      return Decimal(static_cast<uint32_t>(row.size));
    case 3:
      return FormatLastModified(row.lastWrite);
    default:
      return {};
  }
}

// Sizes sort by the number the list shows, so a size beyond 2^31 cannot land among the small ones.
void SortDirectoryRows(std::vector<ChosenDirectoryRow>& rows, int column) {
  std::stable_sort(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
    switch (column) {
      case 0:
        return LessNoCase(a.path, b.path);
      case 1:
        return a.fileCount < b.fileCount;
      case 2:
        return a.size < b.size;
      default:
        return a.lastWrite < b.lastWrite;
    }
  });
}

void SortFileRows(std::vector<ChosenFileRow>& rows, int column) {
  std::stable_sort(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
    switch (column) {
      case 0:
        return LessNoCase(a.directory, b.directory);
      case 1:
        return LessNoCase(a.name, b.name);
      case 2:
        return static_cast<uint32_t>(a.size) < static_cast<uint32_t>(b.size);
      default:
        return a.lastWrite < b.lastWrite;
    }
  });
}

}  // namespace arkvale
