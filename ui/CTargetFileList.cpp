#include "CTargetFileList.h"

CTargetFileList::CTargetFileList(QObject* pParent)
    : CRowTableOf({QStringLiteral("Take")}, pParent) {}

void CTargetFileList::addItem(const QString& takeName) {
    InsertRow(getItemCount(), {takeName});
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
