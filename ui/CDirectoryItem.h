#pragma once

#include <QString>

#include <memory>
#include <vector>

class CDirectoryBranch;

// A folder of the folder tree. Whether it is a branch or a leaf is fixed
// when it is made; its parent and row serve the model's parent().
class CDirectoryItem {
public:
    virtual ~CDirectoryItem() = default;
    CDirectoryItem(const CDirectoryItem&) = delete;
    CDirectoryItem& operator=(const CDirectoryItem&) = delete;

    // True for a node that can have no children.
    virtual bool isChildItem() const = 0;

    void setAppDirectoryFlag(bool isAppDirectory) { m_isAppDirectory = isAppDirectory; }
    bool isAppDirectory() const { return m_isAppDirectory; }
    const QString& getDirectory() const { return m_strDirectory; }
    const QString& getPath() const { return m_strPath; }
    void setDirectory(const QString& directory) { m_strDirectory = directory; }
    void setPath(const QString& path) { m_strPath = path; }

    CDirectoryBranch* getParent() const { return m_pParent; }
    int getRow() const { return m_nRow; }

protected:
    CDirectoryItem(const QString& directory, const QString& path);

private:
    friend class CDirectoryBranch;

    bool m_isAppDirectory = false;
    QString m_strDirectory;
    QString m_strPath;
    CDirectoryBranch* m_pParent = nullptr;
    int m_nRow = 0;
};

// A folder shown without a disclosure control.
class CDirectoryLeaf final : public CDirectoryItem {
public:
    CDirectoryLeaf(const QString& directory, const QString& path);
    static std::unique_ptr<CDirectoryItem> directoryWithPath(const QString& directory,
                                                             const QString& path);
    bool isChildItem() const override { return true; }
};

// A folder that had visible sub-folders when it was made. Its children are
// read only while the tree shows it open (see CDirectoryTree).
class CDirectoryBranch final : public CDirectoryItem {
public:
    CDirectoryBranch(const QString& directory, const QString& path);
    static std::unique_ptr<CDirectoryItem> directoryWithPath(const QString& directory,
                                                             const QString& path);
    bool isChildItem() const override { return false; }

    void addChildItem(std::unique_ptr<CDirectoryItem> pItem);
    // The rows below move up by one.
    void removeChildItem(int index);
    // Puts pItem at index in place of the item there, which it returns.
    std::unique_ptr<CDirectoryItem> replaceChildItem(int index,
                                                     std::unique_ptr<CDirectoryItem> pItem);
    int countChildItem() const { return int(m_arrayItemList.size()); }
    CDirectoryItem* childItemAtIndex(int index) const { return m_arrayItemList[index].get(); }
    void deleteAllItems() { m_arrayItemList.clear(); }

    // True once the children have been read, until they are dropped.
    bool isFilled() const { return m_isFilled; }
    void setFilled(bool isFilled) { m_isFilled = isFilled; }

private:
    std::vector<std::unique_ptr<CDirectoryItem>> m_arrayItemList;
    bool m_isFilled = false;
};
