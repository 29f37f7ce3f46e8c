#pragma once

#include "CRowTable.h"

#include <QString>
#include <QStringList>

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
    // Makes the rows the takes given: the takes still there stay where they
    // are, new ones come at the end, then the last sort is applied. True
    // when a take came or went.
    bool setTakes(const QStringList& takeNames);
    // The row of the take, or -1.
    int findItem(const QString& takeName) const;

protected:
    QString Text(int row, int column) const override;
};
