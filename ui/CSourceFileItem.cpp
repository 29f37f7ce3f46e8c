#include "CSourceFileItem.h"

CSourceFileItem::CSourceFileItem(const QString& number, const QString& fileName,
                                 const QString& filePath, uint16_t enaChannelData,
                                 uint16_t selChannelData)
    : m_enaChannelData(enaChannelData), m_selChannelData(selChannelData) {
    setNumber(number);
    setFileName(fileName);
    setFilePath(filePath);
}
