#include "COverwriteDialog.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int VISIBLE_PATHS = 8;

} // namespace

COverwriteDialog::COverwriteDialog(const QString& title, const QString& message, QWidget* pParent)
    : QDialog(pParent), m_editPath(new QPlainTextEdit(this)),
      m_checkSameForRest(
          new QCheckBox(tr("Do the same for the remaining files of this run"), this)) {
    setObjectName(QStringLiteral("OverwriteDialog"));
    setWindowTitle(QStringLiteral("Kestrawave"));
    setModal(true);
    const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    m_arrayPath = message.split(lineEnd, Qt::SkipEmptyParts);

    // The question stands out from the note under it.
    QStringList titleLines = title.split(lineEnd, Qt::SkipEmptyParts);
    auto* pQuestion = new QLabel(titleLines.isEmpty() ? QString() : titleLines.takeFirst(), this);
    auto* pNote = new QLabel(titleLines.join(QLatin1Char('\n')), this);
    pQuestion->setObjectName(QStringLiteral("OverwriteQuestion"));
    pNote->setObjectName(QStringLiteral("OverwriteNote"));
    QFont bold = pQuestion->font();
    bold.setBold(true);
    pQuestion->setFont(bold);
    auto* pCount = new QLabel(
        m_arrayPath.size() == 1 ? tr("1 file:") : tr("%1 files:").arg(m_arrayPath.size()), this);
    for (QLabel* pLabel : {pQuestion, pNote, pCount}) {
        pLabel->setTextFormat(Qt::PlainText);
    }
    // A path is read whole: no wrapping, a sideways scroll bar instead.
    m_editPath->setObjectName(QStringLiteral("OverwritePaths"));
    m_editPath->setReadOnly(true);
    m_editPath->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editPath->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editPath->setPlainText(m_arrayPath.join(QLatin1Char('\n')));
    // As tall as the list up to VISIBLE_PATHS lines, room for a sideways
    // scroll bar included; a longer list scrolls and the window may grow.
    const int lines = std::min(int(m_arrayPath.size()), VISIBLE_PATHS);
    const int height = m_editPath->fontMetrics().lineSpacing() * lines +
                       m_editPath->horizontalScrollBar()->sizeHint().height() +
                       2 * m_editPath->frameWidth() + 8;
    m_editPath->setMinimumHeight(height);
    if (m_arrayPath.size() <= VISIBLE_PATHS) {
        m_editPath->setMaximumHeight(height);
    }
    m_editPath->setMinimumWidth(560);
    m_checkSameForRest->setObjectName(QStringLiteral("SameForRest"));

    auto* pCancel = new QPushButton(tr("Cancel"), this);
    auto* pOk = new QPushButton(tr("OK"), this);
    pCancel->setObjectName(QStringLiteral("Cancel"));
    pOk->setObjectName(QStringLiteral("OK"));
    pOk->setAutoDefault(false);
    pCancel->setDefault(true);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pQuestion);
    pLayout->addWidget(pNote);
    pLayout->addWidget(pCount);
    pLayout->addWidget(m_editPath, 1);
    pLayout->addWidget(m_checkSameForRest);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(pCancel);
    pButtons->addWidget(pOk);
    pLayout->addLayout(pButtons);
    pCancel->setFocus();
}

bool COverwriteDialog::isSameForRest() const {
    return m_checkSameForRest->isChecked();
}

bool COverwriteDialog::Ask(QWidget* pParent, const QString& title, const QString& message,
                           bool& isSameForRest) {
    COverwriteDialog dialog(title, message, pParent);
    const bool isOk = dialog.exec() == QDialog::Accepted;
    isSameForRest = dialog.isSameForRest();
    return isOk;
}
