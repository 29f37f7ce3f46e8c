#include "CFolderView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

CFolderView::CFolderView(QWidget* pParent) : QTreeView(pParent) {
    setObjectName(QStringLiteral("FolderView"));
}

void CFolderView::mousePressEvent(QMouseEvent* pEvent) {
    const QModelIndex pressed = indexAt(pEvent->position().toPoint());
    const bool wasExpanded = isExpanded(pressed);
    QTreeView::mousePressEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton && pressed.isValid() && pressed == currentIndex() &&
        isExpanded(pressed) == wasExpanded) {
        emit FolderChosen(pressed);
    }
}

void CFolderView::keyPressEvent(QKeyEvent* pEvent) {
    const QPersistentModelIndex before = currentIndex();
    m_isCurrentDropped = false;
    QTreeView::keyPressEvent(pEvent);
    if (currentIndex().isValid() && currentIndex() != before && !m_isCurrentDropped) {
        emit FolderChosen(currentIndex());
    }
}

void CFolderView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    bool isDropped = false;
    for (QModelIndex row = currentIndex(); row.isValid() && !isDropped; row = row.parent()) {
        isDropped = row.parent() == parent && row.row() >= start && row.row() <= end;
    }
    // The base moves the current row out of the rows going, and selects it.
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
    if (isDropped) {
        m_isCurrentDropped = true;
        selectionModel()->clearSelection();
    }
}
