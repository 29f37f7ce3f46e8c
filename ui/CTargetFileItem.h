#pragma once

#include <QString>

// One row of the take table of the "Mono to Poly" tab.
class CTargetFileItem {
public:
    explicit CTargetFileItem(const QString& fileName) : m_strFileName(fileName) {}

    const QString& getFileName() const { return m_strFileName; }
    void setFileName(const QString& fileName) { m_strFileName = fileName; }

private:
    QString m_strFileName;
};
