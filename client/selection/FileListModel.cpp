#include "client/selection/FileListModel.h"

#include <algorithm>
#include <unordered_set>

#include "client/selection/LastModified.h"
#include "client/selection/Selection.h"
#include "client/selection/SelectionPaths.h"
#include "platform/DirectorySearch.h"
#include "platform/WindowsNames.h"

namespace arkvale {

namespace {

struct ColumnLook {
  const char* heading;
  Qt::Alignment alignment;
};

constexpr ColumnLook kColumns[FileListModel::kColumnCount] = {
    {"File Name", Qt::AlignLeft | Qt::AlignVCenter},
    {"Size", Qt::AlignRight | Qt::AlignVCenter},
    {"Last Modified", Qt::AlignHCenter | Qt::AlignVCenter},
};

}  // namespace

void FileListModel::Fill(const std::string& directory, const CSelection& selection) {
  beginResetModel();
  rows_.clear();
  if (auto entries = plat::ListDirectory(directory)) {
    bool directoryChosen = selection.IsDirectoryChosen(directory);
    std::unordered_set<std::string> chosenFiles;
    if (!directoryChosen) {
      for (const auto& file : selection.chosenFiles) chosenFiles.insert(file.fullPath);
    }
    for (auto& entry : *entries) {
      if (entry.attributes & plat::kFileAttributeDirectory) continue;
      bool ticked = directoryChosen || chosenFiles.count(JoinPath(directory, entry.name)) != 0;
      rows_.push_back({FileRow{std::move(entry.name), entry.size, entry.lastWriteTime}, ticked});
    }
  }
  endResetModel();
}

void FileListModel::Sort(int column) {
  beginResetModel();
  std::stable_sort(rows_.begin(), rows_.end(), [column](const Entry& a, const Entry& b) {
    return CompareFileRows(a.file, b.file, column) < 0;
  });
  endResetModel();
}

std::vector<std::string> FileListModel::Names() const {
  std::vector<std::string> names;
  names.reserve(rows_.size());
  for (const auto& entry : rows_) names.push_back(entry.file.name);
  return names;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCount()) return {};
  const Entry& entry = rows_[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kNameColumn:
          return QString::fromStdString(plat::HostNameOf(entry.file.name));
        case kSizeColumn:
          return QString::number(entry.file.size);
        case kTimeColumn:
          return QString::fromStdString(FormatLastModified(entry.file.lastWrite));
      }
      return {};
    case Qt::CheckStateRole:
      if (index.column() != kNameColumn) return {};
      return entry.ticked ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kColumns[index.column()].alignment);
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(kColumns[section].heading);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumns[section].alignment);
  return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
  // Ticks change only through a click on the row, which goes through the selection.
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

}  // namespace arkvale
