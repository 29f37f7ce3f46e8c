#include "CDirectoryItem.h"

CDirectoryItem::CDirectoryItem(const QString& directory, const QString& path)
    : m_strDirectory(directory), m_strPath(path) {}

CDirectoryLeaf::CDirectoryLeaf(const QString& directory, const QString& path)
    : CDirectoryItem(directory, path) {}

std::unique_ptr<CDirectoryItem> CDirectoryLeaf::directoryWithPath(const QString& directory,
                                                                  const QString& path) {
    return std::make_unique<CDirectoryLeaf>(directory, path);
}

CDirectoryBranch::CDirectoryBranch(const QString& directory, const QString& path)
    : CDirectoryItem(directory, path) {}

std::unique_ptr<CDirectoryItem> CDirectoryBranch::directoryWithPath(const QString& directory,
                                                                    const QString& path) {
    return std::make_unique<CDirectoryBranch>(directory, path);
}

void CDirectoryBranch::addChildItem(std::unique_ptr<CDirectoryItem> pItem) {
    pItem->m_pParent = this;
    pItem->m_nRow = countChildItem();
    m_arrayItemList.push_back(std::move(pItem));
}
