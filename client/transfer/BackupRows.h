#pragma once
// What the Backup dialog lists: one row per chosen directory (the plain files directly inside it,
// counted and summed) and one per chosen file that still exists, with the selected totals, the
// cell texts and the column orders. Plain logic, computed once when the dialog opens.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "client/selection/ChosenDirectory.h"
#include "client/selection/ChosenFile.h"
#include "client/selection/LastModified.h"

namespace arkvale {

struct ChosenDirectoryRow {
  std::string path;
  uint32_t fileCount = 0;
  // Wraps modulo 2^32.
  uint32_t size = 0;
  std::time_t lastWrite = 0;
  // False when the directory's own entry could not be read (its time shows empty).
  bool lastWriteKnown = false;
};

struct ChosenFileRow {
  std::string directory;
  std::string name;
  int32_t size = 0;
  std::time_t lastWrite = 0;
};

struct BackupRows {
  std::vector<ChosenDirectoryRow> directories;
  std::vector<ChosenFileRow> files;
  uint32_t bytesSelected = 0;
  uint32_t filesSelected = 0;
};

// The rows of both lists and the selected totals, in selection order. A directory that cannot be
// listed gets 0 files and 0 bytes; a chosen file that is gone gets no row and counts nothing.
BackupRows BuildBackupRows(const std::vector<ChosenDirectory>& directories,
                           const std::vector<ChosenFile>& files);

// Column texts (0 to 3) of a row.
std::string DirectoryCell(const ChosenDirectoryRow& row, int column);
std::string FileCell(const ChosenFileRow& row, int column);

// Sorts ascending by a column; rows that compare equal keep their order.
void SortDirectoryRows(std::vector<ChosenDirectoryRow>& rows, int column);
void SortFileRows(std::vector<ChosenFileRow>& rows, int column);

}  // namespace arkvale
