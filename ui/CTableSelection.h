#pragma once

#include <QItemSelectionModel>
#include <QTableView>

// The selected row of a table used with one selected row, as a table view's
// "selected row": the current row when it is selected, else the top row of
// the first selected range, or -1.
inline int SelectedTableRow(const QTableView* pTable) {
    const QItemSelectionModel* pSelection = pTable != nullptr ? pTable->selectionModel() : nullptr;
    if (pSelection == nullptr || !pSelection->hasSelection()) {
        return -1;
    }
    const int current = pSelection->currentIndex().row();
    if (current >= 0 && pSelection->rowIntersectsSelection(current, QModelIndex())) {
        return current;
    }
    return pSelection->selection().first().top();
}
