#pragma once

#include "CProgressWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <functional>

// Keeps the window tests from waiting for ever on a dialog: every 100 ms,
// a modal dialog that no test claimed (the progress window during its run
// excepted), or one still open after five seconds, fails the running test
// and is closed.
class CModalWatch {
public:
    // Started by main once the application exists.
    static void Start();
    // While above 0, a test is ready to answer an alert itself.
    static int m_claimCount;
};

// Answers modal dialogs as a user would, up to count of them, the dialog on
// top each time; a running progress window is left to run.
class CDialogAnswer {
public:
    // answer acts on the dialog and says whether it did.
    explicit CDialogAnswer(std::function<bool(QWidget*)> answer, int count = 1)
        : m_answer(std::move(answer)), m_maxCount(count) {
        ++CModalWatch::m_claimCount;
        Arm();
    }
    // Clicks the visible button named answer, ticking "Do the same for the
    // remaining files of this run" first when isSameForRest. Keeps the main
    // text of the last one: an alert's text, the overwrite question, or the
    // headline and summary of an ended run.
    explicit CDialogAnswer(const QString& answer, int count = 1, bool isSameForRest = false)
        : CDialogAnswer([this, answer, isSameForRest](
                            QWidget* pModal) { return Click(pModal, answer, isSameForRest); },
                        count) {}
    ~CDialogAnswer() { --CModalWatch::m_claimCount; }
    CDialogAnswer(const CDialogAnswer&) = delete;
    CDialogAnswer& operator=(const CDialogAnswer&) = delete;

    QString m_strText;
    int m_count = 0;

private:
    void Arm() {
        // Tied to m_context: no answer after the answerer is gone.
        QTimer::singleShot(5, &m_context, [this]() {
            QWidget* pModal = QApplication::activeModalWidget();
            auto* pProgress = qobject_cast<CProgressWindow*>(pModal);
            if (pModal != nullptr && (pProgress == nullptr || !pProgress->isRunning()) &&
                m_answer(pModal)) {
                ++m_count;
            }
            if (m_count < m_maxCount) {
                Arm();
            }
        });
    }
    bool Click(QWidget* pModal, const QString& answer, bool isSameForRest) {
        QAbstractButton* pChosen = nullptr;
        for (QAbstractButton* pButton : pModal->findChildren<QAbstractButton*>()) {
            if (pButton->text() == answer && pButton->isVisible()) {
                pChosen = pButton;
            }
        }
        if (pChosen == nullptr) {
            return false;
        }
        auto* pProgress = qobject_cast<CProgressWindow*>(pModal);
        if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
            m_strText = pBox->text();
        } else if (pProgress != nullptr) {
            m_strText = pProgress->getHeadline() + "\n" + pProgress->getSummaryText();
        } else if (auto* pQuestion = pModal->findChild<QLabel*>("OverwriteQuestion")) {
            m_strText = pQuestion->text();
        }
        if (auto* pSame = pModal->findChild<QCheckBox*>("SameForRest")) {
            pSame->setChecked(isSameForRest);
        }
        pChosen->click();
        return true;
    }

    QObject m_context;
    std::function<bool(QWidget*)> m_answer;
    int m_maxCount;
};

// An answer that runs act on the first modal DIALOG.
template <typename DIALOG> std::function<bool(QWidget*)> On(std::function<void(DIALOG*)> act) {
    return [act](QWidget* pModal) {
        auto* pDialog = qobject_cast<DIALOG*>(pModal);
        if (pDialog != nullptr) {
            act(pDialog);
        }
        return pDialog != nullptr;
    };
}
