#include "CDirectoryTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A sub-folder shown in the tree: not hidden, not an application bundle
// ("app" exactly, so "X.APP" is shown), a folder once links are followed.
// The entry's type comes from the listing where it can, sparing a stat per file.
bool IsVisibleFolder(const QString& name, const fs::directory_entry& entry) {
    if (name.startsWith(QLatin1Char('.'))) {
        return false;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && name.mid(dot + 1) == QLatin1String("app")) {
        return false;
    }
    std::error_code error;
    return entry.is_directory(error) && !error;
}

// "/" + name, not "//" + name, under the root.
QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// True when path is folder or lies under it.
bool IsUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(JoinPath(folder, QString()));
}

// Calls visit(name, fullPath) for each visible sub-folder of path in the file
// system's order, until visit returns false. An unreadable folder has none.
template <typename VISIT> void ForEachVisibleFolder(const QString& path, VISIT visit) {
    std::error_code error;
    fs::directory_iterator it(QFile::encodeName(path).toStdString(), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const QString name =
            QFile::decodeName(QByteArray::fromStdString(it->path().filename().native()));
        if (IsVisibleFolder(name, *it) && !visit(name, JoinPath(path, name))) {
            return;
        }
    }
}

} // namespace

CDirectoryTree::CDirectoryTree(const QStringList& topFolders, const QString& appPath,
                               QObject* pParent)
    : QAbstractItemModel(pParent), m_strAppPath(appPath), m_branchRootItem(QString(), QString()) {
    // Top folders live as long as the tree, so they are branches whatever they
    // hold now. The first one always opens at start, as do those on the way
    // to the application's folder.
    for (const QString& folder : topFolders) {
        auto pTop = CDirectoryBranch::directoryWithPath(folder, folder);
        pTop->setAppDirectoryFlag(m_branchRootItem.countChildItem() == 0 ||
                                  m_strAppPath.contains(folder));
        m_branchRootItem.addChildItem(std::move(pTop));
    }
    m_branchRootItem.setFilled(true);
}

QStringList CDirectoryTree::DefaultTopFolders() {
#ifdef Q_OS_MACOS
    return {QStringLiteral("/Users")};
#else
    QStringList folders{QStringLiteral("/home")};
    for (const char* mount : {"/media", "/run/media", "/mnt"}) {
        if (QFileInfo(QLatin1String(mount)).isDir()) {
            folders << QLatin1String(mount);
        }
    }
    const QString home = QDir::homePath();
    if (home != QLatin1String("/home") && !home.startsWith(QLatin1String("/home/"))) {
        folders << home;
    }
    return folders;
#endif
}

void CDirectoryTree::setTreeView(QTreeView* pTree) {
    if (m_treeDirectory != nullptr) {
        disconnect(m_treeDirectory, nullptr, this, nullptr);
    }
    m_treeDirectory = pTree;
    if (pTree->model() != this) {
        pTree->setModel(this);
    }
    connect(pTree, &QTreeView::collapsed, this, &CDirectoryTree::OnCollapsed);
    OpenAppDirectories(QModelIndex());
}

QString CDirectoryTree::getPath(const QModelIndex& index) const {
    return index.isValid() ? itemOf(index)->getPath() : QString();
}

bool CDirectoryTree::isExistChild(const QString& path) {
    bool isExist = false;
    ForEachVisibleFolder(path, [&isExist](const QString&, const QString&) {
        isExist = true;
        return false;
    });
    return isExist;
}

std::unique_ptr<CDirectoryItem> CDirectoryTree::MakeItem(const QString& name,
                                                         const QString& fullPath) const {
    auto pItem = isExistChild(fullPath) ? CDirectoryBranch::directoryWithPath(name, fullPath)
                                        : CDirectoryLeaf::directoryWithPath(name, fullPath);
    // A plain substring test, not whole components: ".../ab" opens for ".../abc" too.
    pItem->setAppDirectoryFlag(m_strAppPath.contains(fullPath));
    return pItem;
}

void CDirectoryTree::addChildren(CDirectoryBranch* pBranch) {
    std::vector<std::unique_ptr<CDirectoryItem>> children;
    ForEachVisibleFolder(pBranch->getPath(), [&](const QString& name, const QString& fullPath) {
        children.push_back(MakeItem(name, fullPath));
        return true;
    });
    if (children.empty()) {
        return;
    }
    const int first = pBranch->countChildItem();
    beginInsertRows(indexOf(pBranch), first, first + int(children.size()) - 1);
    for (auto& pChild : children) {
        pBranch->addChildItem(std::move(pChild));
    }
    endInsertRows();
}

QModelIndex CDirectoryTree::FindPath(const QString& path) const {
    const QString clean = QDir::cleanPath(path);
    QModelIndex found;
    // The deepest top that holds it: the fewest rows to go through.
    for (int top = 0; top < rowCount(); ++top) {
        const QModelIndex topIndex = index(top, 0);
        if (IsUnder(clean, getPath(topIndex)) &&
            (!found.isValid() || getPath(topIndex).size() > getPath(found).size())) {
            found = topIndex;
        }
    }
    while (found.isValid() && getPath(found) != clean) {
        QModelIndex next;
        for (int row = 0; row < rowCount(found) && !next.isValid(); ++row) {
            if (IsUnder(clean, getPath(index(row, 0, found)))) {
                next = index(row, 0, found);
            }
        }
        found = next;
    }
    return found;
}

QModelIndex CDirectoryTree::OpenPath(const QString& path) {
    if (path.isEmpty()) {
        return QModelIndex();
    }
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo(clean).isDir()) {
        return QModelIndex();
    }
    QModelIndex at;
    for (int top = 0; top < rowCount(); ++top) {
        const QModelIndex topIndex = index(top, 0);
        if (IsUnder(clean, getPath(topIndex)) &&
            (!at.isValid() || getPath(topIndex).size() > getPath(at).size())) {
            at = topIndex;
        }
    }
    if (!at.isValid()) {
        const QString first = clean.section(QLatin1Char('/'), 1, 1);
        at = AddTopFolder(first.isEmpty() ? clean : QLatin1Char('/') + first);
    }
    const QStringList names =
        clean.mid(getPath(at).size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (itemOf(at)->isChildItem()) {
            // Made a leaf when it had no sub-folders; it has now.
            if (!isExistChild(getPath(at))) {
                return AddTopFolder(clean);
            }
            at = Remake(at, true);
        }
        if (canFetchMore(at)) {
            fetchMore(at);
        }
        QModelIndex next;
        for (int row = 0; row < rowCount(at) && !next.isValid(); ++row) {
            if (itemOf(index(row, 0, at))->getDirectory() == name) {
                next = index(row, 0, at);
            }
        }
        if (!next.isValid()) {
            return AddTopFolder(clean);
        }
        if (m_treeDirectory != nullptr) {
            m_treeDirectory->expand(at);
        }
        at = next;
    }
    return at;
}

QModelIndex CDirectoryTree::AddTopFolder(const QString& path) {
    for (int top = 0; top < rowCount(); ++top) {
        if (getPath(index(top, 0)) == path) {
            return index(top, 0);
        }
    }
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_branchRootItem.addChildItem(CDirectoryBranch::directoryWithPath(path, path));
    endInsertRows();
    return index(row, 0);
}

void CDirectoryTree::Refresh(const QModelIndex& index) {
    QModelIndex existing = index;
    while (existing.isValid() && existing.parent().isValid() &&
           !QFileInfo(getPath(existing)).isDir()) {
        existing = existing.parent();
    }
    if (existing.isValid()) {
        RefreshFolder(existing);
    }
}

void CDirectoryTree::RefreshFolder(const QModelIndex& index) {
    const QString path = getPath(index);
    if (itemOf(index)->isChildItem()) {
        if (isExistChild(path)) {
            Remake(index, true);
        }
        return;
    }
    auto* pBranch = static_cast<CDirectoryBranch*>(itemOf(index));
    if (!pBranch->isFilled()) {
        return; // read when it opens
    }
    QStringList arrayName;
    ForEachVisibleFolder(path, [&arrayName](const QString& name, const QString&) {
        arrayName << name;
        return true;
    });
    for (int row = pBranch->countChildItem() - 1; row >= 0; --row) {
        if (!arrayName.contains(pBranch->childItemAtIndex(row)->getDirectory())) {
            beginRemoveRows(index, row, row);
            pBranch->removeChildItem(row);
            endRemoveRows();
        }
    }
    QStringList arrayKept;
    for (int row = 0; row < pBranch->countChildItem(); ++row) {
        const QModelIndex child = this->index(row, 0, index);
        CDirectoryItem* pChild = itemOf(child);
        arrayKept << pChild->getDirectory();
        RefreshFolder(child);
        // The row may hold a new item now.
        const QModelIndex refreshed = this->index(row, 0, index);
        pChild = itemOf(refreshed);
        if (!pChild->isChildItem() &&
            static_cast<CDirectoryBranch*>(pChild)->countChildItem() == 0 &&
            !isExistChild(pChild->getPath())) {
            Remake(refreshed, false);
        }
    }
    std::vector<std::unique_ptr<CDirectoryItem>> arrayNew;
    for (const QString& name : arrayName) {
        if (!arrayKept.contains(name)) {
            arrayNew.push_back(MakeItem(name, JoinPath(path, name)));
        }
    }
    if (!arrayNew.empty()) {
        const int first = pBranch->countChildItem();
        beginInsertRows(index, first, first + int(arrayNew.size()) - 1);
        for (auto& pItem : arrayNew) {
            pBranch->addChildItem(std::move(pItem));
        }
        endInsertRows();
    }
}

QModelIndex CDirectoryTree::Remake(const QModelIndex& index, bool isBranch) {
    CDirectoryItem* pOld = itemOf(index);
    auto pItem = isBranch
                     ? CDirectoryBranch::directoryWithPath(pOld->getDirectory(), pOld->getPath())
                     : CDirectoryLeaf::directoryWithPath(pOld->getDirectory(), pOld->getPath());
    CDirectoryItem* pNew = pItem.get();
    emit layoutAboutToBeChanged();
    // Whatever it held goes with it: only a branch without rows becomes a leaf.
    const auto pGone = pOld->getParent()->replaceChildItem(index.row(), std::move(pItem));
    const QModelIndex made = createIndex(index.row(), 0, pNew);
    changePersistentIndex(index, made);
    emit layoutChanged();
    return made;
}

QModelIndex CDirectoryTree::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) {
        return QModelIndex();
    }
    const auto* pBranch = static_cast<const CDirectoryBranch*>(itemOf(parent));
    return createIndex(row, column, pBranch->childItemAtIndex(row));
}

QModelIndex CDirectoryTree::parent(const QModelIndex& child) const {
    return child.isValid() ? indexOf(itemOf(child)->getParent()) : QModelIndex();
}

int CDirectoryTree::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    const CDirectoryItem* pItem = itemOf(parent);
    return pItem->isChildItem() ? 0 : static_cast<const CDirectoryBranch*>(pItem)->countChildItem();
}

int CDirectoryTree::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CDirectoryTree::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return QVariant();
    }
    const CDirectoryItem* pItem = itemOf(index);
    if (role == Qt::DisplayRole) {
        return pItem->getDirectory();
    }
    if (role == Qt::DecorationRole) {
        return m_iconProvider.icon(QFileInfo(pItem->getPath())).pixmap(16, 16);
    }
    return QVariant();
}

bool CDirectoryTree::hasChildren(const QModelIndex& parent) const {
    return parent.column() <= 0 && !itemOf(parent)->isChildItem();
}

bool CDirectoryTree::canFetchMore(const QModelIndex& parent) const {
    const CDirectoryItem* pItem = itemOf(parent);
    return !pItem->isChildItem() && !static_cast<const CDirectoryBranch*>(pItem)->isFilled();
}

void CDirectoryTree::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    auto* pBranch = static_cast<CDirectoryBranch*>(itemOf(parent));
    pBranch->setFilled(true);
    addChildren(pBranch);
    OpenAppDirectories(parent);
}

QVariant CDirectoryTree::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0) {
        return QStringLiteral("Folder");
    }
    return QVariant();
}

CDirectoryItem* CDirectoryTree::itemOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<CDirectoryItem*>(index.internalPointer())
                           : const_cast<CDirectoryBranch*>(&m_branchRootItem);
}

QModelIndex CDirectoryTree::indexOf(const CDirectoryItem* pItem) const {
    if (pItem == nullptr || pItem == &m_branchRootItem) {
        return QModelIndex();
    }
    return createIndex(pItem->getRow(), 0, const_cast<CDirectoryItem*>(pItem));
}

void CDirectoryTree::OpenAppDirectories(const QModelIndex& parent) {
    if (m_treeDirectory == nullptr) {
        return;
    }
    for (int row = 0; row < rowCount(parent); ++row) {
        const QModelIndex child = index(row, 0, parent);
        CDirectoryItem* pItem = itemOf(child);
        if (!pItem->isAppDirectory()) {
            continue;
        }
        pItem->setAppDirectoryFlag(false);
        // Later: this may run inside the view's own layout of the parent.
        QTimer::singleShot(0, this, [this, opened = QPersistentModelIndex(child)] {
            if (m_treeDirectory != nullptr && opened.isValid()) {
                m_treeDirectory->expand(opened);
            }
        });
    }
}

void CDirectoryTree::OnCollapsed(const QModelIndex& index) {
    if (index.model() != this || itemOf(index)->isChildItem()) {
        return;
    }
    auto* pBranch = static_cast<CDirectoryBranch*>(itemOf(index));
    if (pBranch->countChildItem() > 0) {
        beginRemoveRows(index, 0, pBranch->countChildItem() - 1);
        pBranch->deleteAllItems();
        endRemoveRows();
    }
    pBranch->setFilled(false);
}
