#include "client/transfer/CompareResultsModel.h"

#include "platform/WindowsNames.h"

namespace arkvale {
namespace {

enum Column { kName, kResult, kStoredSize, kStoredTime, kLocalSize, kLocalTime, kColumns };

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString ResultText(const CompareResult& r) {
  QString text = Text(OutcomeText(r.outcome));
  if (!r.detail.empty()) text += QStringLiteral(": ") + Text(r.detail);
  return text;
}

}  // namespace

CCompareResultsModel::CCompareResultsModel(std::vector<CompareResult> results, QObject* parent)
    : QAbstractTableModel(parent), results_(std::move(results)) {}

int CCompareResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(results_.size());
}

int CCompareResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant CCompareResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const CompareResult& r = result(index.row());
  const bool local = r.hasLocal;
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case kName:
        return Text(plat::HostNameOf(r.path));
      case kResult:
        return ResultText(r);
      case kStoredSize:
        return QString::number(r.storedSize);
      case kStoredTime:
        return Text(CompareTimeText(r.storedTime));
      case kLocalSize:
        return local ? QString::number(r.localSize) : QString();
      case kLocalTime:
        return local ? Text(CompareTimeText(r.localTime)) : QString();
      default:
        return {};
    }
  }
  if (role == Qt::UserRole) {
    switch (index.column()) {
      case kName:
        return Text(plat::HostNameOf(r.path)).toLower();
      case kResult:
        return static_cast<int>(r.outcome);
      case kStoredSize:
        return static_cast<qulonglong>(r.storedSize);
      case kStoredTime:
        return static_cast<qlonglong>(r.storedTime);
      case kLocalSize:
        return local ? static_cast<qlonglong>(r.localSize) : qlonglong{-1};
      case kLocalTime:
        return local ? static_cast<qlonglong>(r.localTime) : qlonglong{-1};
      default:
        return {};
    }
  }
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == kStoredSize || index.column() == kLocalSize;
    return QVariant::fromValue((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  }
  return {};
}

QVariant CCompareResultsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kName:
      return tr("File name");
    case kResult:
      return tr("Result");
    case kStoredSize:
      return tr("Stored size (bytes)");
    case kStoredTime:
      return tr("Stored modified");
    case kLocalSize:
      return tr("Size here (bytes)");
    case kLocalTime:
      return tr("Modified here");
    default:
      return {};
  }
}

}  // namespace arkvale
