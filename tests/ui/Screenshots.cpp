// ui_screenshots OUTDIR: renders the window offscreen in its main states,
// at 1280x800 and 800x600, into OUTDIR as PNG files. The files it shows are
// made in a temporary folder and removed at the end; its settings go to
// another, never the user's.

#include "CJobResult.h"
#include "CMain.h"
#include "CMonoToPolyPanel.h"
#include "COverwriteDialog.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"
#include "CSourceFileList.h"
#include "CTargetFileList.h"
#include "CTestKit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const std::vector<std::string> trackNames = {"Mix L",   "Mix R",    "Boom",  "Lav Anna",
                                             "Lav Ben", "Lav Cleo", "Plant", "Spare"};

Bytes IXml(const std::vector<std::string>& names) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BWFXML>\n<TRACK_LIST>\n"
                       "<TRACK_COUNT>" +
                       std::to_string(names.size()) + "</TRACK_COUNT>\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        text += "<TRACK><CHANNEL_INDEX>" + n + "</CHANNEL_INDEX><INTERLEAVE_INDEX>" + n +
                "</INTERLEAVE_INDEX><NAME>" + names[i] + "</NAME></TRACK>\n";
    }
    return Text(text + "</TRACK_LIST>\n</BWFXML>\n");
}

// A 24-bit take of the given length whose samples are a sparse hole: a
// real size at no cost on disk.
void WriteTake(const fs::path& path, uint16_t channels, uint32_t rate, uint32_t seconds,
               const std::vector<std::string>& names) {
    const uint32_t dataBytes = uint32_t(channels) * 3 * rate * seconds;
    const Bytes header =
        Wave(FmtBody(1, channels, 24, rate), Chunk("iXML", IXml(names)), {}, {}, dataBytes);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    fs::resize_file(path, header.size() + dataBytes);
}

void Settle() {
    for (int round = 0; round < 10; ++round) {
        QApplication::processEvents();
    }
}

// The dialog drawn over the middle of the window, as a desktop shows it.
QPixmap Over(const QPixmap& window, QWidget* pDialog) {
    pDialog->show();
    Settle();
    const QPixmap dialog = pDialog->grab();
    QPixmap composed = window;
    QPainter painter(&composed);
    painter.fillRect(composed.rect(), QColor(0, 0, 0, 60));
    const QPoint at((composed.width() - dialog.width()) / 2,
                    (composed.height() - dialog.height()) / 3);
    for (int shadow = 6; shadow > 0; --shadow) {
        painter.fillRect(
            QRect(at, dialog.size()).adjusted(-shadow, -shadow + 2, shadow, shadow + 2),
            QColor(0, 0, 0, 14));
    }
    painter.drawPixmap(at, dialog);
    painter.setPen(QColor(0, 0, 0, 110));
    painter.drawRect(QRect(at, dialog.size()).adjusted(-1, -1, 0, 0));
    return composed;
}

bool Save(const QPixmap& pixmap, const QString& folder, const QString& name) {
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!pixmap.save(path)) {
        std::fprintf(stderr, "ui_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshots OUTDIR\n");
        return 2;
    }
    const QString outFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(outFolder)) {
        std::fprintf(stderr, "ui_screenshots: cannot make %s\n", qPrintable(outFolder));
        return 1;
    }
    const QTemporaryDir settingsDir;
    QCoreApplication::setOrganizationName(QStringLiteral("KestrawaveScreenshots"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settingsDir.path());

    const QTemporaryDir media(QDir::tempPath() + QStringLiteral("/Media-XXXXXX"));
    const fs::path root = media.path().toStdString();
    const fs::path roll = root / "Shoot Day 2" / "Sound Roll 03";
    const fs::path split = root / "Shoot Day 2" / "Split";
    fs::create_directories(roll);
    fs::create_directories(split);
    fs::create_directories(root / "Shoot Day 1" / "Sound Roll 01");
    const std::vector<std::string> six(trackNames.begin() + 2, trackNames.end());
    WriteTake(roll / "Sc12_T01.wav", 8, 48000, 134, trackNames);
    WriteTake(roll / "Sc12_T02.wav", 8, 48000, 97, trackNames);
    WriteTake(roll / "Sc12_T03.wav", 8, 48000, 151, trackNames);
    WriteTake(roll / "Sc13_T01.wav", 6, 48000, 62, six);
    WriteTake(roll / "Sc13_T02.wav", 6, 48000, 48, six);
    WriteTake(roll / "Wild_Rain_Roof.wav", 2, 96000, 300, {"Rain L", "Rain R"});
    for (const char* take : {"Sc11_T04", "Sc12_T01"}) {
        for (int n = 1; n <= 8; ++n) {
            if (n != 6) { // a channel not recorded stays silent
                WriteTake(split / (std::string(take) + "_" + std::to_string(n) + ".wav"), 1, 48000,
                          20, {trackNames[std::size_t(n - 1)]});
            }
        }
    }

    const QString rollPath = QString::fromStdString(roll.string());
    const QString splitPath = QString::fromStdString(split.string());
    CMain window({media.path()}, QString());
    CPolyToMonoPanel* pPoly = window.getPolyToMonoPanel();
    CMonoToPolyPanel* pMono = window.getMonoToPolyPanel();
    window.GoToFolder(rollPath);
    pPoly->getBwfFileTable()->sortByColumn(0, Qt::AscendingOrder);
    pPoly->AddPaths(
        {rollPath + "/Sc12_T01.wav", rollPath + "/Sc12_T02.wav", rollPath + "/Sc13_T01.wav"});
    QBitArray noMix(8, true);
    noMix.clearBit(0);
    noMix.clearBit(1);
    pPoly->getSourceFileList()->setSelectChannelData(1, noMix);
    pPoly->getSourceFileTable()->selectRow(1);
    pPoly->setOutputFolder(splitPath);
    pMono->setOutputFolder(QString::fromStdString((root / "Shoot Day 2").string()));

    bool isSaved = true;
    for (const QSize size : {QSize(1280, 800), QSize(800, 600)}) {
        const QString suffix = QStringLiteral("-%1x%2").arg(size.width()).arg(size.height());
        window.resize(size);
        window.getTabWidget()->setCurrentIndex(0);
        window.GoToFolder(rollPath);
        window.show();
        Settle();
        const QPixmap poly = window.grab();
        isSaved &= Save(poly, outFolder, "poly-to-mono" + suffix);

        window.getTabWidget()->setCurrentIndex(1);
        window.GoToFolder(splitPath);
        pMono->getTargetFileTable()->selectRow(pMono->getTargetFileList()->findItem("Sc12_T01"));
        Settle();
        isSaved &= Save(window.grab(), outFolder, "mono-to-poly" + suffix);
        window.getTabWidget()->setCurrentIndex(0);
        window.GoToFolder(rollPath);
        Settle();

        CProgressWindow* pProgress = window.getProgressWindow();
        pProgress->Begin(splitPath);
        pProgress->SetProgressText("Poly to Mono", "Sc12_T01");
        pProgress->SetProgressText("Poly to Mono", "Sc12_T02");
        const quint64 total = 3ull * 48000 * 8 * (134 + 97) + 3ull * 48000 * 6 * 62;
        pProgress->SetProgressBytes(0, total);
        for (int n = 3; n <= 8; ++n) {
            pProgress->SetProgressText("Poly to Mono", "Sc12_T02\tChannel " + QString::number(n));
        }
        pProgress->SetProgressBytes(total * 47 / 100, total);
        isSaved &= Save(Over(poly, pProgress), outFolder, "progress" + suffix);

        pProgress->SetProgressBytes(total, total);
        for (int n = 0; n < 20; ++n) {
            pProgress->AddFile(QString(), 3ull * 48000 * (n < 8 ? 134 : n < 14 ? 97 : 62));
        }
        pProgress->End(JOBRESULT_DONE);
        isSaved &= Save(Over(poly, pProgress), outFolder, "summary" + suffix);
        pProgress->hide();

        QStringList paths;
        for (int n = 3; n <= 8; ++n) {
            paths << QStringLiteral("%1/Sc12_T02/Sc12_T02_%2.wav").arg(splitPath).arg(n);
        }
        COverwriteDialog overwrite(
            "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)",
            paths.join('\r') + '\r', &window);
        isSaved &= Save(Over(poly, &overwrite), outFolder, "overwrite" + suffix);
        overwrite.hide();
    }
    return isSaved ? 0 : 1;
}
