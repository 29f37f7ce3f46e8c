#pragma once

#include "CDirectoryItem.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QPointer>
#include <QStringList>

class QTreeView;

// Model of the folder tree: folders only, read from disk each time a folder
// is opened and dropped when it is closed, so the tree follows the disk
// without watching it. The folders on the way to the application's folder
// open by themselves when they are first shown.
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

    QString m_strAppPath;
    QPointer<QTreeView> m_treeDirectory;
    CDirectoryBranch m_branchRootItem;
    QFileIconProvider m_iconProvider;
};
