// kestrawave: the window.

#include "CDirectoryTree.h"
#include "CMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrawave"));
    CMain window(CDirectoryTree::DefaultTopFolders(), QCoreApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
