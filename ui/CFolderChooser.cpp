#include "CFolderChooser.h"

#include <QFileDialog>

QString CFolderChooser::Choose(QWidget* pParent) {
    QFileDialog dialog(pParent);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, QObject::tr("Choose"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        return dialog.selectedFiles().first();
    }
    return QString();
}
