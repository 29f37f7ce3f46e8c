#pragma once

#include <QScrollArea>

#include <functional>
#include <vector>

// One cell per channel (a check box or an indicator), channel 1 first, in
// rows of equal-width cells: 16 to a row when the width allows it, else 8,
// else as many as fit, so channel numbers line up in banks of 8. The area is
// as tall as its rows up to VISIBLE_ROW_COUNT; more rows scroll, so no
// channel count grows the window. Never scrolls sideways. In cells that take
// the focus the arrow keys move it by a cell or a row, Home and End to the
// first and last, scrolling it into view; the area itself takes none.
class CChannelGrid : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int VISIBLE_ROW_COUNT = 4;

    explicit CChannelGrid(QWidget* pParent = nullptr);

    // Keeps the first count cells, deletes the others and adds the missing
    // ones made by make(channel); the grid owns them.
    void SetCellCount(int count, const std::function<QWidget*(int channel)>& make);
    int GetCellCount() const { return int(m_arrayCell.size()); }
    // The cell of channel n, from 1.
    QWidget* GetCell(int n) const { return m_arrayCell[size_t(n - 1)]; }
    int GetColumnCount() const { return m_columnCount; }
    // Sizes the cells again after their contents changed.
    void Remeasure();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void Arrange();
    int HeightOfRows(int rows) const;

    std::vector<QWidget*> m_arrayCell;
    QWidget* m_pCanvas;
    QSize m_sizeCell;
    int m_columnCount = 8;
};
