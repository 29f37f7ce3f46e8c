#pragma once

#include <QBitArray>
#include <QString>

// One row of the source table of the "Poly to Mono" tab: a file to split,
// the channels it has (enable) and the channels to write (select), bit n-1
// for channel n, as many bits as the file has channels.
class CSourceFileItem {
public:
    CSourceFileItem(const QString& number, const QString& fileName, const QString& filePath,
                    const QBitArray& enaChannelData, const QBitArray& selChannelData);

    const QString& getNumber() const { return m_strNumber; }
    const QString& getFileName() const { return m_strFileName; }
    const QString& getFilePath() const { return m_strFilePath; }
    const QBitArray& getEnableChannelData() const { return m_enaChannelData; }
    const QBitArray& getSelectChannelData() const { return m_selChannelData; }

    void setNumber(const QString& number) { m_strNumber = number; }
    void setFileName(const QString& fileName) { m_strFileName = fileName; }
    void setFilePath(const QString& filePath) { m_strFilePath = filePath; }
    void setEnableChannelData(const QBitArray& data) { m_enaChannelData = data; }
    void setSelectChannelData(const QBitArray& data) { m_selChannelData = data; }

private:
    QBitArray m_enaChannelData;
    QBitArray m_selChannelData;
    QString m_strNumber;
    QString m_strFileName;
    QString m_strFilePath;
};
