#pragma once

#include <QString>

#include <cstdint>

// One row of the source table of the "Poly to Mono" tab: a file to split,
// the channels it has (enable mask) and the channels to write (select mask).
class CSourceFileItem {
public:
    CSourceFileItem(const QString& number, const QString& fileName, const QString& filePath,
                    uint16_t enaChannelData, uint16_t selChannelData);

    const QString& getNumber() const { return m_strNumber; }
    const QString& getFileName() const { return m_strFileName; }
    const QString& getFilePath() const { return m_strFilePath; }
    uint16_t getEnableChannelData() const { return m_enaChannelData; }
    uint16_t getSelectChannelData() const { return m_selChannelData; }

    void setNumber(const QString& number) { m_strNumber = number; }
    void setFileName(const QString& fileName) { m_strFileName = fileName; }
    void setFilePath(const QString& filePath) { m_strFilePath = filePath; }
    void setEnableChannelData(uint16_t data) { m_enaChannelData = data; }
    void setSelectChannelData(uint16_t data) { m_selChannelData = data; }

private:
    uint16_t m_enaChannelData;
    uint16_t m_selChannelData;
    QString m_strNumber;
    QString m_strFileName;
    QString m_strFilePath;
};
