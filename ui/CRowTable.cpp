#include "CRowTable.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <numeric>

CRowTable::CRowTable(const QStringList& titles, QObject* pParent, const QStringList& headerTips)
    : QAbstractTableModel(pParent), m_arrayTitle(titles), m_arrayHeaderTip(headerTips) {}

QString CRowTable::getItemText(int row, int subIndex) const {
    return subIndex >= 1 && subIndex <= m_arrayTitle.size() ? Text(row, subIndex - 1) : QString();
}

void CRowTable::deleteAllItems() {
    beginResetModel();
    ClearRows();
    endResetModel();
}

void CRowTable::reloadData() {
    if (RowCount() > 0) {
        emit dataChanged(index(0, 0), index(RowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }
}

int CRowTable::getSelectedItemPosition(const QItemSelectionModel* pSelection) {
    if (pSelection == nullptr || !pSelection->hasSelection()) {
        return -1;
    }
    const int current = pSelection->currentIndex().row();
    if (current >= 0 && pSelection->rowIntersectsSelection(current, QModelIndex())) {
        return current;
    }
    return getFirstSelectedItemPosition(pSelection);
}

int CRowTable::getFirstSelectedItemPosition(const QItemSelectionModel* pSelection) {
    return getNextSelectedItemPosition(pSelection, -1);
}

int CRowTable::getNextSelectedItemPosition(const QItemSelectionModel* pSelection, int row) {
    if (pSelection == nullptr || pSelection->model() == nullptr) {
        return -1;
    }
    // Any selected cell counts, so a view selecting items rather than rows works too.
    const int count = pSelection->model()->rowCount();
    for (int next = row + 1; next < count; ++next) {
        if (pSelection->rowIntersectsSelection(next, QModelIndex())) {
            return next;
        }
    }
    return -1;
}

int CRowTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int CRowTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_arrayTitle.size());
}

QVariant CRowTable::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case Qt::ToolTipRole: {
        const QString tip = ToolTip(index.row(), index.column());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Alignment(index.column()));
    default:
        return QVariant();
    }
}

QVariant CRowTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < m_arrayTitle.size()) {
        if (role == Qt::DisplayRole) {
            return m_arrayTitle[section];
        }
        if (role == Qt::ToolTipRole && section < m_arrayHeaderTip.size() &&
            !m_arrayHeaderTip[section].isEmpty()) {
            return m_arrayHeaderTip[section];
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Alignment(section));
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CRowTable::sort(int column, Qt::SortOrder order) {
    m_sortColumn = column >= 0 && column < columnCount() ? column : -1;
    m_sortOrder = order;
    std::vector<int> newOrder(static_cast<std::size_t>(RowCount()));
    std::iota(newOrder.begin(), newOrder.end(), 0);
    // Equal rows stay in the order they came, whichever way the column sorts.
    std::sort(newOrder.begin(), newOrder.end(), [this](int left, int right) {
        const int compared = m_sortColumn < 0 ? 0 : Compare(left, right, m_sortColumn);
        if (compared != 0) {
            return m_sortOrder == Qt::AscendingOrder ? compared < 0 : compared > 0;
        }
        return ArrivalOf(left) < ArrivalOf(right);
    });
    bool isMoved = false;
    for (std::size_t row = 0; row < newOrder.size() && !isMoved; ++row) {
        isMoved = newOrder[row] != int(row);
    }
    if (!isMoved) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(newOrder.size());
    for (std::size_t row = 0; row < newOrder.size(); ++row) {
        newRowOf[std::size_t(newOrder[row])] = int(row);
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after << index(newRowOf[std::size_t(old.row())], old.column());
    }
    PermuteRows(newOrder);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString CRowTable::ToolTip(int, int) const {
    return QString();
}

Qt::Alignment CRowTable::Alignment(int) const {
    return Qt::AlignLeft | Qt::AlignVCenter;
}

int CRowTable::Compare(int left, int right, int column) const {
    return NaturalCompare(Text(left, column), Text(right, column));
}

int CRowTable::NaturalCompare(const QString& left, const QString& right) {
    // QCollator's numeric mode is missing from some builds and locales.
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        if (left[i].isDigit() && right[j].isDigit()) {
            qsizetype endLeft = i;
            qsizetype endRight = j;
            while (endLeft < left.size() && left[endLeft].isDigit()) {
                ++endLeft;
            }
            while (endRight < right.size() && right[endRight].isDigit()) {
                ++endRight;
            }
            // Leading zeros aside, the longer run is the bigger number.
            QStringView numberLeft = QStringView(left).mid(i, endLeft - i);
            QStringView numberRight = QStringView(right).mid(j, endRight - j);
            while (numberLeft.size() > 1 && numberLeft.front() == QLatin1Char('0')) {
                numberLeft = numberLeft.mid(1);
            }
            while (numberRight.size() > 1 && numberRight.front() == QLatin1Char('0')) {
                numberRight = numberRight.mid(1);
            }
            if (numberLeft.size() != numberRight.size()) {
                return numberLeft.size() < numberRight.size() ? -1 : 1;
            }
            const int compared = numberLeft.compare(numberRight);
            if (compared != 0) {
                return compared;
            }
            i = endLeft;
            j = endRight;
            continue;
        }
        const int compared =
            QStringView(left).mid(i, 1).compare(QStringView(right).mid(j, 1), Qt::CaseInsensitive);
        if (compared != 0) {
            return compared;
        }
        ++i;
        ++j;
    }
    if (i < left.size() || j < right.size()) {
        return i < left.size() ? 1 : -1;
    }
    return 0;
}
