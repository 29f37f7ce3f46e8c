#include "CTargetFileList.h"

CTargetFileList::CTargetFileList(QObject* pParent) : CRowTableOf({tr("Take")}, pParent) {}

void CTargetFileList::addItem(const QString& takeName) {
    InsertRow(getItemCount(), {takeName});
}

bool CTargetFileList::setTakes(const QStringList& takeNames) {
    std::vector<_TARGETFILE> rows;
    rows.reserve(std::size_t(takeNames.size()));
    for (const QString& name : takeNames) {
        rows.push_back({name});
    }
    return MergeRows(
        std::move(rows), [](const _TARGETFILE& take) { return take.strTakeName; },
        [](const _TARGETFILE&, const _TARGETFILE&) { return true; });
}

int CTargetFileList::findItem(const QString& takeName) const {
    for (int row = 0; row < getItemCount(); ++row) {
        if (GetRow(row).strTakeName == takeName) {
            return row;
        }
    }
    return -1;
}

QString CTargetFileList::Text(int row, int) const {
    return GetRow(row).strTakeName;
}
