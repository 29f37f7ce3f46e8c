#pragma once

#include "CDirectoryItem.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QPointer>
#include <QStringList>

class QTreeView;

// Model of the folder tree: folders only, read from disk each time a folder
// is opened and dropped when it is closed, so the tree follows the disk
// without watching it; Refresh reads an open part again. The folders on the
// way to the application's folder open by themselves when they are first
// shown. Paths are compared as written, without resolving links.
class CDirectoryTree : public QAbstractItemModel {
    Q_OBJECT
public:
    CDirectoryTree(const QStringList& topFolders, const QString& appPath,
                   QObject* pParent = nullptr);

    // "/Users" on macOS; elsewhere "/home", the mount folders that exist and
    // the home folder when it is outside "/home".
    static QStringList DefaultTopFolders();

    // Shows the tree in pTree and opens the way to the application's folder.
    void setTreeView(QTreeView* pTree);
    // The folder's full path; empty for an invalid index.
    QString getPath(const QModelIndex& index) const;
    // True when the folder has at least one visible sub-folder.
    static bool isExistChild(const QString& path);
    // Appends the visible sub-folders of the branch's folder, in listing order.
    void addChildren(CDirectoryBranch* pBranch);

    // The row of the folder at path among the rows read so far; invalid
    // when it is not one of them.
    QModelIndex FindPath(const QString& path) const;
    // The row of the folder at path, the folders on the way read and opened
    // in the view. A folder under none of the top rows gets the top folder
    // of its path ("/srv" for "/srv/a") as a new top row; one that cannot be
    // reached through shown rows (under a hidden folder, say) becomes a top
    // row itself. Invalid when path is no folder.
    QModelIndex OpenPath(const QString& path);
    // The top row of path, added at the end unless there is one.
    QModelIndex AddTopFolder(const QString& path);
    // Reads the folder of index and its open sub-folders again: folders that
    // went are dropped, new ones added at the end, and a folder shows its
    // arrow when it has sub-folders now, and only then. The rows that stay
    // keep their selection and open state. A folder that went refreshes its
    // parent; top rows stay.
    void Refresh(const QModelIndex& index);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    CDirectoryItem* itemOf(const QModelIndex& index) const;
    QModelIndex indexOf(const CDirectoryItem* pItem) const;
    void OpenAppDirectories(const QModelIndex& parent);
    void OnCollapsed(const QModelIndex& index);
    void RefreshFolder(const QModelIndex& index);
    std::unique_ptr<CDirectoryItem> MakeItem(const QString& name, const QString& fullPath) const;
    // Puts a branch, or a leaf, in place of the item at index; the view's
    // state for it goes to the new one. Returns the new item's index.
    QModelIndex Remake(const QModelIndex& index, bool isBranch);

    QString m_strAppPath;
    QPointer<QTreeView> m_treeDirectory;
    CDirectoryBranch m_branchRootItem;
    QFileIconProvider m_iconProvider;
};
