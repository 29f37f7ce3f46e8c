// kestrawave: the window.

#include "CDirectoryTree.h"
#include "CMain.h"
#include "KestrawaveVersion.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace {

constexpr int EXIT_OPEN_WINDOW = -1;
constexpr int EXIT_USAGE = 2; // as kestrawave-cli

// Reads the options; returns EXIT_OPEN_WINDOW when the window is to open,
// else the status to exit with once the answer or the error is printed.
int ParseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts Broadcast Wave poly files to mono files and back."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "kestrawave: %s\n", qPrintable(parser.errorText()));
        return EXIT_USAGE;
    }
    if (parser.isSet(version)) {
        std::printf("kestrawave %s\n", KESTRAWAVE_VERSION);
        return 0;
    }
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "kestrawave: takes no arguments: %s\n",
                     qPrintable(parser.positionalArguments().join(QLatin1Char(' '))));
        return EXIT_USAGE;
    }
    return EXIT_OPEN_WINDOW;
}

// --help and --version must answer without a display, which QApplication
// cannot start without.
bool IsAnswerOnly(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        for (const char* pName : {"-h", "--help", "-v", "--version"}) {
            if (std::strcmp(argv[i], pName) == 0) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (IsAnswerOnly(argc, argv)) {
        QCoreApplication console(argc, argv);
        const int status = ParseArguments(QCoreApplication::arguments());
        return status == EXIT_OPEN_WINDOW ? 0 : status;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrawave"));
    // Where QSettings keeps the window's state: ~/.config/Kestrawave/Kestrawave.conf.
    QApplication::setOrganizationName(QStringLiteral("Kestrawave"));
    QApplication::setOrganizationDomain(QStringLiteral("kestrawave.org"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRAWAVE_VERSION));
    // Lets a Wayland desktop find the icon and name of the installed entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrawave"));
    // Qt has taken its own options (-platform, -style, ...) out by now.
    const int status = ParseArguments(QCoreApplication::arguments());
    if (status != EXIT_OPEN_WINDOW) {
        return status;
    }
    CMain window(CDirectoryTree::DefaultTopFolders(), QCoreApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
