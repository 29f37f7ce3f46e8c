#pragma once

#include <QTreeView>

// The folder tree's view, telling a folder the user chose from the other
// changes of its current row: a click on a row, the current one included,
// or a key that moves to a row chooses it; a row made current because the
// rows around it went away (a collapse drops the folders under it) chooses
// nothing, and the highlight then leaves the tree rather than stand on a
// folder that is not the chosen one. A click on the arrow of a row only
// opens or closes it.
class CFolderView : public QTreeView {
    Q_OBJECT
public:
    explicit CFolderView(QWidget* pParent = nullptr);

signals:
    void FolderChosen(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    // True when the current row lies in the rows about to go.
    bool m_isCurrentDropped = false;
};
