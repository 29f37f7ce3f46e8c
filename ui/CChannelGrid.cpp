#include "CChannelGrid.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int MARGIN = 2;
constexpr int SPACING = 4;

} // namespace

CChannelGrid::CChannelGrid(QWidget* pParent) : QScrollArea(pParent), m_pCanvas(new QWidget) {
    setObjectName(QStringLiteral("ChannelGrid"));
    // The cells take the focus, if any; the area scrolls to the focused one.
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setWidgetResizable(false);
    setWidget(m_pCanvas);
    Arrange();
}

void CChannelGrid::SetCellCount(int count, const std::function<QWidget*(int channel)>& make) {
    count = std::max(count, 0);
    while (GetCellCount() > count) {
        delete m_arrayCell.back();
        m_arrayCell.pop_back();
    }
    while (GetCellCount() < count) {
        QWidget* pCell = make(GetCellCount() + 1);
        pCell->setParent(m_pCanvas);
        pCell->installEventFilter(this);
        pCell->show();
        m_arrayCell.push_back(pCell);
    }
    Remeasure();
}

void CChannelGrid::Remeasure() {
    m_sizeCell = QSize(0, fontMetrics().height() + 4);
    for (QWidget* pCell : m_arrayCell) {
        m_sizeCell = m_sizeCell.expandedTo(pCell->sizeHint().expandedTo(pCell->minimumSize()));
    }
    Arrange();
    updateGeometry();
}

int CChannelGrid::HeightOfRows(int rows) const {
    return 2 * MARGIN + rows * m_sizeCell.height() + std::max(rows - 1, 0) * SPACING;
}

QSize CChannelGrid::sizeHint() const {
    const int rows = (GetCellCount() + m_columnCount - 1) / m_columnCount;
    const int width = 2 * MARGIN + 8 * (m_sizeCell.width() + SPACING);
    const int frame = 2 * frameWidth();
    return QSize(frame + width + verticalScrollBar()->sizeHint().width(),
                 frame + HeightOfRows(std::clamp(rows, 1, VISIBLE_ROW_COUNT)));
}

QSize CChannelGrid::minimumSizeHint() const {
    const int frame = 2 * frameWidth();
    return QSize(frame + 2 * MARGIN + m_sizeCell.width() + verticalScrollBar()->sizeHint().width(),
                 sizeHint().height());
}

void CChannelGrid::resizeEvent(QResizeEvent* pEvent) {
    QScrollArea::resizeEvent(pEvent);
    Arrange();
}

bool CChannelGrid::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() != QEvent::KeyPress) {
        return QScrollArea::eventFilter(pWatched, pEvent);
    }
    const auto found = std::find(m_arrayCell.begin(), m_arrayCell.end(), pWatched);
    if (found == m_arrayCell.end() || (*found)->focusPolicy() == Qt::NoFocus) {
        return QScrollArea::eventFilter(pWatched, pEvent);
    }
    const int at = int(found - m_arrayCell.begin());
    const bool isMirrored = layoutDirection() == Qt::RightToLeft;
    int to = at;
    switch (static_cast<QKeyEvent*>(pEvent)->key()) {
    case Qt::Key_Left:
        to = isMirrored ? at + 1 : at - 1;
        break;
    case Qt::Key_Right:
        to = isMirrored ? at - 1 : at + 1;
        break;
    case Qt::Key_Up:
        to = at - m_columnCount;
        break;
    case Qt::Key_Down:
        to = at + m_columnCount;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = GetCellCount() - 1;
        break;
    default:
        return QScrollArea::eventFilter(pWatched, pEvent);
    }
    // At an edge the focus stays: it leaves the cells by Tab only.
    if (to >= 0 && to < GetCellCount()) {
        m_arrayCell[size_t(to)]->setFocus(Qt::OtherFocusReason);
        ensureWidgetVisible(m_arrayCell[size_t(to)]);
    }
    return true;
}

void CChannelGrid::Arrange() {
    // The scroll bar's width is always kept free, so that its coming and
    // going cannot change the column count and with it the row count.
    const int free = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
    const int fit = (free - 2 * MARGIN + SPACING) / std::max(m_sizeCell.width() + SPACING, 1);
    const int columns = fit >= 16 ? 16 : fit >= 8 ? 8 : std::max(fit, 1);
    const QSize oldHint = sizeHint();
    m_columnCount = columns;
    const int rows = (GetCellCount() + columns - 1) / columns;
    for (int i = 0; i < GetCellCount(); ++i) {
        m_arrayCell[size_t(i)]->setGeometry(MARGIN + (i % columns) * (m_sizeCell.width() + SPACING),
                                            MARGIN +
                                                (i / columns) * (m_sizeCell.height() + SPACING),
                                            m_sizeCell.width(), m_sizeCell.height());
    }
    const int usedColumns = std::min(GetCellCount(), columns);
    m_pCanvas->resize(2 * MARGIN + usedColumns * (m_sizeCell.width() + SPACING),
                      rows > 0 ? HeightOfRows(rows) : 0);
    if (sizeHint() != oldHint) {
        updateGeometry();
    }
}
