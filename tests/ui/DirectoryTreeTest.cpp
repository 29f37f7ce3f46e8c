// The folder tree on folders made here: which entries show and in what
// order, branch or leaf, reading again on each opening, and the way to the
// application's folder opening by itself.

#include "CDirectoryTree.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>

class CDirectoryTreeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* folder :
             {"a/b/d", "a/bc/e", "a/.hidden/f", "a/x.app/g", "a/Y.APP", "lone/.h", "lone/z.app"}) {
            ASSERT_TRUE(QDir(m_strRoot).mkpath(folder));
        }
        QFile(m_strRoot + "/a/file").open(QIODevice::WriteOnly);
        QFile::link(m_strRoot + "/a/b", m_strRoot + "/a/link");
        QFile::link(m_strRoot + "/a/file", m_strRoot + "/a/filelink");
        QFile::link(m_strRoot + "/nowhere", m_strRoot + "/a/dangling");
    }

    // The view opens folders a few event-loop turns later.
    static void Settle() {
        for (int round = 0; round < 20; ++round) {
            QCoreApplication::processEvents();
        }
    }

    QStringList Names(const QModelIndex& parent) const {
        QStringList names;
        for (int row = 0; row < m_tree.rowCount(parent); ++row) {
            names << m_tree.data(m_tree.index(row, 0, parent)).toString();
        }
        return names;
    }

    QModelIndex Child(const QModelIndex& parent, const QString& name) const {
        return m_tree.index(Names(parent).indexOf(name), 0, parent);
    }

    QTemporaryDir m_dir;
    const QString m_strRoot = m_dir.path();
    CDirectoryTree m_tree{{m_strRoot}, m_strRoot + "/a/bc"};
    const QModelIndex m_top = m_tree.index(0, 0);
};

TEST_F(CDirectoryTreeTest, ShowsVisibleFoldersInListingOrderAsBranchesOrLeaves) {
    QAbstractItemModelTester tester(&m_tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(m_tree.data(m_top).toString(), m_strRoot);
    m_tree.fetchMore(m_top);
    const QModelIndex a = Child(m_top, "a");
    m_tree.fetchMore(a);
    QStringList listed; // the file system's order, whatever it is
    for (const auto& entry : std::filesystem::directory_iterator(m_strRoot.toStdString() + "/a")) {
        const QString name = QString::fromStdString(entry.path().filename());
        if (QStringList({"b", "bc", "Y.APP", "link"}).contains(name)) {
            listed << name;
        }
    }
    EXPECT_EQ(Names(a), listed);
    EXPECT_EQ(m_tree.getPath(Child(a, "link")), m_strRoot + "/a/link");
    EXPECT_TRUE(m_tree.hasChildren(Child(a, "link")));
    EXPECT_FALSE(m_tree.hasChildren(Child(a, "Y.APP")));
    EXPECT_FALSE(m_tree.hasChildren(Child(m_top, "lone"))); // only hidden and app folders
}

TEST_F(CDirectoryTreeTest, OpensTheWayToTheAppFolderAndReadsAFolderOnEachOpening) {
    QTreeView view;
    m_tree.setTreeView(&view);
    view.show();
    Settle();
    const QModelIndex a = Child(m_top, "a");
    EXPECT_TRUE(view.isExpanded(m_top) && view.isExpanded(a));
    EXPECT_TRUE(view.isExpanded(Child(a, "bc")));
    EXPECT_TRUE(view.isExpanded(Child(a, "b"))); // ".../a/b" occurs in ".../a/bc"
    EXPECT_FALSE(view.isExpanded(Child(a, "link")));

    ASSERT_EQ(m_tree.rowCount(a), 4);
    ASSERT_TRUE(QDir(m_strRoot).mkpath("a/new"));
    ASSERT_TRUE(QDir(m_strRoot).mkpath("lone/v"));
    EXPECT_EQ(m_tree.rowCount(a), 4); // the disk is read on opening only
    EXPECT_FALSE(m_tree.hasChildren(Child(m_top, "lone")));
    view.collapse(a);
    EXPECT_EQ(m_tree.rowCount(a), 0);
    view.expand(a);
    Settle();
    EXPECT_TRUE(Names(a).contains("new"));
    view.collapse(m_top);
    view.expand(m_top);
    Settle();
    EXPECT_TRUE(m_tree.hasChildren(Child(m_top, "lone"))); // made anew, now a branch
}

// Refresh on the open tree: gone folders leave, new ones come at the end, a
// leaf that got a sub-folder gets its arrow and a branch that lost them all
// loses it, while the open rows stay open and the current one current.
TEST_F(CDirectoryTreeTest, RefreshFollowsTheDiskAndKeepsTheViewState) {
    QTreeView view;
    m_tree.setTreeView(&view);
    view.show();
    Settle();
    const QModelIndex a = Child(m_top, "a");
    ASSERT_TRUE(view.isExpanded(a));
    view.expand(Child(a, "bc"));
    Settle();
    view.setCurrentIndex(Child(a, "bc"));
    ASSERT_TRUE(QDir(m_strRoot + "/a/b").removeRecursively());
    ASSERT_TRUE(QDir(m_strRoot).mkpath("a/new"));
    ASSERT_TRUE(QDir(m_strRoot).mkpath("a/bc/e/deeper"));
    ASSERT_TRUE(QDir(m_strRoot).mkpath("lone/v"));
    ASSERT_TRUE(QDir(m_strRoot + "/a/Y.APP").exists());

    m_tree.Refresh(m_top);
    EXPECT_FALSE(Names(a).contains("b"));
    EXPECT_EQ(Names(a).last(), "new");
    EXPECT_EQ(m_tree.getPath(view.currentIndex()), m_strRoot + "/a/bc");
    EXPECT_TRUE(view.isExpanded(Child(a, "bc")));
    EXPECT_TRUE(m_tree.hasChildren(Child(Child(a, "bc"), "e")));
    EXPECT_TRUE(m_tree.hasChildren(Child(m_top, "lone")));

    ASSERT_TRUE(QDir(m_strRoot + "/a/bc/e/deeper").removeRecursively());
    m_tree.Refresh(Child(a, "bc"));
    EXPECT_FALSE(m_tree.hasChildren(Child(Child(a, "bc"), "e")));
    // A folder that went refreshes its parent.
    const QPersistentModelIndex gone = Child(a, "new");
    ASSERT_TRUE(QDir(m_strRoot + "/a/new").removeRecursively());
    m_tree.Refresh(gone);
    EXPECT_FALSE(gone.isValid());
    EXPECT_FALSE(Names(a).contains("new"));
}

// A path under a top row opens down to it; one elsewhere gets its top folder
// as a new top row; one behind a hidden folder becomes a top row itself.
TEST_F(CDirectoryTreeTest, OpenPathReadsAndOpensTheWayOrAddsATop) {
    QTreeView view;
    m_tree.setTreeView(&view);
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkpath("x/y"));
    ASSERT_TRUE(QDir(m_strRoot).mkpath("lone/.h/deep"));
    const QString topOfOther = "/" + other.path().section('/', 1, 1);
    struct _CASE {
        QString path;
        QString top; // the top row it is under
    };
    const _CASE cases[] = {
        {m_strRoot + "/a/bc/e/", m_strRoot},
        {m_strRoot + "/a/b/../link", m_strRoot}, // through a link, not resolved
        {other.path() + "/x/y", topOfOther},
        {m_strRoot + "/lone/.h/deep", m_strRoot + "/lone/.h/deep"},
    };
    for (const _CASE& openCase : cases) {
        const QModelIndex found = m_tree.OpenPath(openCase.path);
        ASSERT_TRUE(found.isValid()) << openCase.path.toStdString();
        EXPECT_EQ(m_tree.getPath(found), QDir::cleanPath(openCase.path));
        EXPECT_EQ(m_tree.FindPath(openCase.path), found);
        QModelIndex top = found;
        while (top.parent().isValid()) {
            top = top.parent();
            EXPECT_TRUE(view.isExpanded(top)) << m_tree.getPath(top).toStdString();
        }
        EXPECT_EQ(m_tree.getPath(top), openCase.top);
    }
    const int tops = m_tree.rowCount();
    EXPECT_FALSE(m_tree.OpenPath(m_strRoot + "/a/file").isValid());
    EXPECT_FALSE(m_tree.OpenPath(m_strRoot + "/nowhere").isValid());
    EXPECT_EQ(m_tree.OpenPath(other.path()), m_tree.FindPath(other.path()));
    EXPECT_EQ(m_tree.rowCount(), tops);
}
