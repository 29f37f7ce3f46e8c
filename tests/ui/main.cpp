#include "CDialogAnswer.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

int CModalWatch::m_claimCount = 0;

void CModalWatch::Start() {
    static QPointer<QWidget> s_pLast;
    static int s_ticks = 0;
    auto* pTimer = new QTimer(qApp);
    QObject::connect(pTimer, &QTimer::timeout, []() {
        QWidget* pModal = QApplication::activeModalWidget();
        s_ticks = pModal != nullptr && pModal == s_pLast ? s_ticks + 1 : 0;
        s_pLast = pModal;
        auto* pProgress = qobject_cast<CProgressWindow*>(pModal);
        if (pModal == nullptr || (pProgress != nullptr && pProgress->isRunning())) {
            return;
        }
        if (m_claimCount > 0 && s_ticks < 50) {
            return;
        }
        auto* pBox = qobject_cast<QMessageBox*>(pModal);
        ADD_FAILURE() << "an unexpected modal dialog was closed: "
                      << (pBox != nullptr ? pBox->text() : pModal->windowTitle()).toStdString();
        if (auto* pDialog = qobject_cast<QDialog*>(pModal)) {
            pDialog->reject();
        } else {
            pModal->close();
        }
    });
    pTimer->start(100);
}

namespace {

// Every test starts from no remembered settings.
class CSettingsReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { QSettings().clear(); }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as at build time, needs no display.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    // The window's settings go to a folder of this run, never the user's.
    const QTemporaryDir settingsDir;
    QCoreApplication::setOrganizationName(QStringLiteral("KestrawaveTest"));
    QCoreApplication::setApplicationName(QStringLiteral("ui_tests"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
        QSettings::setPath(QSettings::IniFormat, scope, settingsDir.path());
    }
    testing::UnitTest::GetInstance()->listeners().Append(new CSettingsReset);
    CModalWatch::Start();
    return RUN_ALL_TESTS();
}
