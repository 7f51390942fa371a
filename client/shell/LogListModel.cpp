#include "client/shell/LogListModel.h"

#include <QTextDocument>
#include <array>

#include "platform/WindowsNames.h"

namespace arkvale {
namespace {

struct Column {
  const char* title;
  Qt::Alignment alignment;
  int width;
};

constexpr std::array<Column, 3> kColumns{{{"Time", Qt::AlignRight, 150},
                                          {"Level", Qt::AlignRight, 50},
                                          {"Message", Qt::AlignLeft, 450}}};

}  // namespace

void CLogListModel::SetRows(std::vector<LogRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int CLogListModel::ColumnWidth(int column) {
  return kColumns[static_cast<std::size_t>(column)].width;
}

int CLogListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CLogListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant CLogListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const std::size_t column = static_cast<std::size_t>(index.column());
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(kColumns[column].alignment | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const LogRow& row = rows_[static_cast<std::size_t>(index.row())];
  // The log keeps paths as they travel; the reader sees the host's characters in them.
  const std::string text = column == 0   ? row.time
                           : column == 1 ? row.level
                                         : plat::HostNameOf(row.message);
  // A tool tip that looks like markup is read as markup; a log line may hold anything.
  if (role == Qt::ToolTipRole) {
    return Qt::convertFromPlainText(QString::fromStdString(text), Qt::WhiteSpaceNormal);
  }
  return QString::fromStdString(text);
}

QVariant CLogListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const Column& column = kColumns[static_cast<std::size_t>(section)];
  if (role == Qt::DisplayRole) return QString::fromLatin1(column.title);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  return {};
}

}  // namespace arkvale
