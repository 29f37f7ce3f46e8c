#pragma once

#include "CRowTable.h"

#include <QString>

struct _TARGETFILE {
    QString strTakeName;
};

// Model of the take table of the "Mono to Poly" tab: one column, the take
// name.
class CTargetFileList : public CRowTableOf<_TARGETFILE> {
    Q_OBJECT
public:
    explicit CTargetFileList(QObject* pParent = nullptr);

    void addItem(const QString& takeName);
    // The row of the take, or -1.
    int findItem(const QString& takeName) const;

protected:
    QString Text(int row, int column) const override;
};
