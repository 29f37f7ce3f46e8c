#pragma once

#include <QLabel>

// A one-line label that shows as much of its text as fits, eliding the
// middle, so that a long text never widens the window. Its text() stays
// whole.
class CElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* pParent = nullptr);

    // True while the text is shown cut.
    bool isElided() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};
