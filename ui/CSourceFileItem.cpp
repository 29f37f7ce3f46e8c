#include "CSourceFileItem.h"

CSourceFileItem::CSourceFileItem(const QString& number, const QString& fileName,
                                 const QString& filePath, const QBitArray& enaChannelData,
                                 const QBitArray& selChannelData)
    : m_enaChannelData(enaChannelData), m_selChannelData(selChannelData) {
    setNumber(number);
    setFileName(fileName);
    setFilePath(filePath);
}
