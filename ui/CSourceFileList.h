#pragma once

#include "CRowTable.h"

#include <QBitArray>
#include <QString>

// A file to split, its place in the list from 1, the channels it has
// (enable) and the channels to write (select), bit n-1 for channel n, as
// many bits as the file has channels.
struct _SOURCEFILE {
    int number;
    QString strFileName;
    QString strFilePath;
    QBitArray enableChannel;
    QBitArray selectChannel;
};

// Model of the source table of the "Poly to Mono" tab, the work list of the
// split. Columns: number, file name, the channels to write ("1–4, 7",
// "all 8", "none"), full path. The numbers follow each insert and delete;
// the channels follow setSelectChannelData.
class CSourceFileList : public CRowTableOf<_SOURCEFILE> {
    Q_OBJECT
public:
    explicit CSourceFileList(QObject* pParent = nullptr);

    void addItem(const QString& fileName, const QString& filePath, const QBitArray& enaChannelData,
                 const QBitArray& selChannelData);
    void insertItem(const QString& fileName, const QString& filePath,
                    const QBitArray& enaChannelData, const QBitArray& selChannelData, int index);
    void deleteItem(int row);
    // The row whose full path is path, or -1.
    int findItem(const QString& path) const;
    const QBitArray& getEnableChannelData(int row) const { return GetRow(row).enableChannel; }
    const QBitArray& getSelectChannelData(int row) const { return GetRow(row).selectChannel; }
    void setSelectChannelData(int row, const QBitArray& data);

protected:
    QString Text(int row, int column) const override;
    QString ToolTip(int row, int column) const override;
    Qt::Alignment Alignment(int column) const override;

private:
    // Numbers the rows from row on again.
    void Renumber(int row);
};
