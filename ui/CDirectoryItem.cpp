#include "CDirectoryItem.h"

#include <utility>

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

void CDirectoryBranch::removeChildItem(int index) {
    m_arrayItemList.erase(m_arrayItemList.begin() + index);
    for (int row = index; row < countChildItem(); ++row) {
        m_arrayItemList[std::size_t(row)]->m_nRow = row;
    }
}

std::unique_ptr<CDirectoryItem>
CDirectoryBranch::replaceChildItem(int index, std::unique_ptr<CDirectoryItem> pItem) {
    pItem->m_pParent = this;
    pItem->m_nRow = index;
    std::swap(m_arrayItemList[std::size_t(index)], pItem);
    return pItem;
}
