// The progress window fed by real runs through the job runner: the bar,
// the take and channels, the time left, the summary at the end, and the
// overwrite question with its "do the same" box.

#include "CDialogAnswer.h"
#include "CJobRunner.h"
#include "COverwriteDialog.h"
#include "CPolyToMonoJob.h"
#include "CProgressWindow.h"
#include "CTestKit.h"
#include "CTimeLeft.h"

#include <QDesktopServices>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(CTimeLeftTest, WaitsForTwoSecondsOrFivePercentThenFollowsTheRate) {
    struct _STEP {
        uint64_t done;
        uint64_t total;
        double now;
        double left; // < 0: no estimate
    };
    const std::vector<std::vector<_STEP>> runs = {
        // 100 bytes a second: nothing before 2 s, then the average.
        {{0, 10000, 0, -1}, {40, 10000, 0.4, -1}, {190, 10000, 1.9, -1}, {200, 10000, 2, 98}},
        // 5 % comes first.
        {{0, 1000, 0, -1}, {49, 1000, 0.1, -1}, {50, 1000, 0.2, 3.8}},
        // A new total starts again, at the bytes it starts from.
        {{0, 1000, 0, -1}, {100, 1000, 1, 9}, {0, 500, 1, -1}, {20, 500, 1.5, -1}},
        // No total, no estimate.
        {{0, 0, 0, -1}, {100, 0, 5, -1}},
    };
    for (std::size_t k = 0; k < runs.size(); ++k) {
        CTimeLeft timeLeft;
        timeLeft.Start(0);
        for (const _STEP& step : runs[k]) {
            timeLeft.Update(step.done, step.total, step.now);
            if (step.left < 0) {
                EXPECT_LT(timeLeft.GetSecondsLeft(), 0) << "run " << k << " at " << step.now;
            } else {
                EXPECT_NEAR(timeLeft.GetSecondsLeft(), step.left, 1e-9) << "run " << k;
            }
        }
    }
}

TEST(CTimeLeftTest, ARateChangeShowsGraduallyAndAPauseIsLeftOut) {
    CTimeLeft timeLeft;
    timeLeft.Start(0);
    timeLeft.Update(0, 10000, 0);
    timeLeft.Update(200, 10000, 2);  // 100 a second
    timeLeft.Update(1200, 10000, 3); // now 1000 a second
    const double left = timeLeft.GetSecondsLeft();
    EXPECT_GT(left, 8800.0 / 1000) << "follows at once";
    EXPECT_LT(left, 8800.0 / 100) << "ignores the change";
    timeLeft.Skip(60); // a question the user took a minute to answer
    timeLeft.Update(1300, 10000, 63.1);
    EXPECT_LT(timeLeft.GetSecondsLeft(), left);
}

// The window as the runner's queued signals feed it.
TEST(CProgressWindowTest, ShowsTheBarTheChannelsOfAPassAndTheTimeLeft) {
    CProgressWindow window;
    window.Begin("/out");
    auto* pBar = window.findChild<QProgressBar*>("ProgressBar");
    EXPECT_EQ(pBar->maximum(), 0); // busy while the total is unknown
    window.SetProgressBytes(0, 0);
    EXPECT_EQ(pBar->maximum(), 0);
    window.SetProgressText("Poly to Mono", "T1");
    window.SetProgressBytes(0, 2000);
    for (int n : {3, 1, 2, 7}) {
        window.SetProgressText("Poly to Mono", "T1\tChannel " + QString::number(n));
    }
    EXPECT_EQ(window.getHeadline(), "Poly to Mono");
    EXPECT_EQ(window.getTakeText(), "Take: T1");
    EXPECT_EQ(window.getChannelText(), "Writing channels 1\u20133, 7");
    window.SetProgressBytes(500, 2000);
    EXPECT_GT(pBar->maximum(), 0);
    // A quarter in no time: little is left.
    EXPECT_EQ(window.findChild<QLabel*>("Status")->text(), "25 %   A few seconds left");
    window.SetProgressText("Poly to Mono", "T1\tChannel 9"); // the next pass
    EXPECT_EQ(window.getChannelText(), "Writing channel 9");
    window.SetProgressText("Poly to Mono", "T1\tFinish !");
    EXPECT_EQ(window.getChannelText(), "Finished");
}

class CRunTest : public CTempFolderTest {
protected:
    void SetUp() override {
        CTempFolderTest::SetUp();
        for (const char* take : {"a", "b"}) {
            Write(std::string("in/") + take + ".wav",
                  Wave(FmtBody(1, 3, 16, 48000), {}, Pattern(3 * 2 * 4000)));
            m_job.m_arraySource.push_back({std::string(take) + ".wav",
                                           PathOf(std::string("in/") + take + ".wav"),
                                           {1, 2, 3}});
        }
        fs::create_directories(PathOf("out"));
        m_job.m_strDestFolder = PathOf("out");
    }
    // Runs the job behind the window and closes it at the end; the summary.
    QString Run(const CJobRunner::JOB& job, JOBRESULT expected) {
        CDialogAnswer close("Close");
        EXPECT_EQ(m_runner.RunModal(job, QString::fromStdString(PathOf("out"))), expected);
        EXPECT_EQ(close.m_count, 1);
        return close.m_strText;
    }
    QString RunSplit(JOBRESULT expected = JOBRESULT_DONE) {
        const CPolyToMonoJob job = m_job;
        return Run([job](CJobHost& host,
                         const std::atomic<bool>& isCancel) { return job.Run(host, isCancel); },
                   expected);
    }

    CPolyToMonoJob m_job;
    CProgressWindow m_window;
    CJobRunner m_runner{&m_window};
};

class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_arrayUrl;
public slots:
    void Open(const QUrl& url) { m_arrayUrl << url; }
};

TEST_F(CRunTest, TheEndSaysWhatWasWrittenWhereAndOpensTheFolder) {
    QSignalSpy bytes(&m_runner, &CJobRunner::ProgressBytes);
    const QString summary = RunSplit();
    ASSERT_GE(bytes.count(), 2);
    EXPECT_EQ(bytes.first()[0].toULongLong(), 0u);
    EXPECT_EQ(bytes.last()[0], bytes.last()[1]);
    EXPECT_GT(bytes.last()[1].toULongLong(), 0u);
    auto* pBar = m_window.findChild<QProgressBar*>("ProgressBar");
    EXPECT_EQ(pBar->value(), pBar->maximum());

    uint64_t size = 0;
    for (const auto& entry : fs::recursive_directory_iterator(PathOf("out"))) {
        size += entry.is_regular_file() ? entry.file_size() : 0;
    }
    EXPECT_EQ(m_window.getFileCount(), 6);
    const QString sizeText =
        QLocale().formattedDataSize(qint64(size), 1, QLocale::DataSizeSIFormat);
    EXPECT_TRUE(summary.startsWith("Done\nFiles written: 6 (" + sizeText + ")\nTime taken: "))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Output folder: " + QString::fromStdString(PathOf("out"))));

    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    m_window.findChild<QPushButton*>("ShowInFolder")->click();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(catcher.m_arrayUrl,
              QList<QUrl>({QUrl::fromLocalFile(QString::fromStdString(PathOf("out")))}));
}

TEST_F(CRunTest, TheOverwriteQuestionListsThePathsAndDefaultsToCancel) {
    const QString message = "/a/very/long/path/of/a/take/T1_1.wav\r/b/T1_2.wav\r";
    COverwriteDialog dialog("Over write this file ?\r\n(If you click \"OK\", ...)", message);
    EXPECT_EQ(dialog.getPaths(),
              QStringList({"/a/very/long/path/of/a/take/T1_1.wav", "/b/T1_2.wav"}));
    auto* pPaths = dialog.findChild<QPlainTextEdit*>("OverwritePaths");
    EXPECT_EQ(pPaths->toPlainText(), dialog.getPaths().join('\n'));
    EXPECT_EQ(pPaths->lineWrapMode(), QPlainTextEdit::NoWrap); // a path is never cut
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return); // Cancel is the default
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// Both takes of a second run are there already: ticked, the first answer
// serves the second take too; unticked, each take is asked about.
TEST_F(CRunTest, DoTheSameAnswersTheRestOfTheRun) {
    RunSplit();
    for (const bool isSameForRest : {true, false}) {
        CDialogAnswer overwrite("OK", 2, isSameForRest);
        RunSplit();
        EXPECT_EQ(overwrite.m_count, isSameForRest ? 1 : 2);
        EXPECT_EQ(m_window.getFileCount(), 6);
    }
}

TEST_F(CRunTest, AJobThatThrowsEndsWithItsMessage) {
    const QString summary = Run(
        [](CJobHost& host, const std::atomic<bool>&) -> JOBRESULT {
            host.SetProgressText("Poly to Mono", "a");
            throw std::runtime_error("out of memory");
        },
        JOBRESULT_FAILED);
    EXPECT_TRUE(summary.startsWith("Finished with problems")) << summary.toStdString();
    EXPECT_EQ(m_window.getErrors(), QStringList({"The conversion stopped: out of memory"}));
}

} // namespace

#include "ProgressTest.moc"
