#pragma once

#include "CModalWatch.h"
#include "COverwriteDialog.h"
#include "CProgressWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

// Answers modal dialogs as a user would, up to count of them: clicks the
// visible button named answer of the dialog on top, ticking "Do the same
// for the remaining files of this run" first when isSameForRest. Keeps the
// main text of the last one: an alert's text, the overwrite question, or the
// headline and summary of an ended run. A running progress window is left
// to run.
class CDialogAnswer {
public:
    explicit CDialogAnswer(const QString& answer, int count = 1, bool isSameForRest = false)
        : m_strAnswer(answer), m_maxCount(count), m_isSameForRest(isSameForRest) {
        ++CModalWatch::m_claimCount;
        Arm();
    }
    ~CDialogAnswer() { --CModalWatch::m_claimCount; }
    CDialogAnswer(const CDialogAnswer&) = delete;
    CDialogAnswer& operator=(const CDialogAnswer&) = delete;

    QString m_strText;
    int m_count = 0;

private:
    void Arm() {
        // Tied to m_context: no answer after the answerer is gone.
        QTimer::singleShot(5, &m_context, [this]() {
            if (!Answer() && m_count < m_maxCount) {
                Arm();
            }
        });
    }
    // True when done answering.
    bool Answer() {
        QWidget* pModal = QApplication::activeModalWidget();
        auto* pProgress = qobject_cast<CProgressWindow*>(pModal);
        if (pModal == nullptr || (pProgress != nullptr && pProgress->isRunning())) {
            return false;
        }
        QAbstractButton* pChosen = nullptr;
        for (QAbstractButton* pButton : pModal->findChildren<QAbstractButton*>()) {
            if (pButton->text() == m_strAnswer && pButton->isVisible()) {
                pChosen = pButton;
            }
        }
        if (pChosen == nullptr) {
            return false;
        }
        if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
            m_strText = pBox->text();
        } else if (pProgress != nullptr) {
            m_strText = pProgress->getHeadline() + "\n" + pProgress->getSummaryText();
        } else if (auto* pQuestion = pModal->findChild<QLabel*>("OverwriteQuestion")) {
            m_strText = pQuestion->text();
        }
        if (auto* pSame = pModal->findChild<QCheckBox*>("SameForRest")) {
            pSame->setChecked(m_isSameForRest);
        }
        ++m_count;
        pChosen->click();
        return m_count >= m_maxCount;
    }

    QObject m_context;
    QString m_strAnswer;
    int m_maxCount;
    bool m_isSameForRest;
};
