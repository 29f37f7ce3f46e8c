#include "CFolderChooser.h"

#include "CAlert.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

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

QPushButton* CFolderChooser::AddOutputRows(QWidget* pPanel, QVBoxLayout* pLayout, QLineEdit* pEdit,
                                           QPushButton* pConvert) {
    auto* pChoose = new QPushButton(QObject::tr("Choose..."), pPanel);
    auto* pDest = new QHBoxLayout;
    pDest->addWidget(new QLabel(QObject::tr("Output folder"), pPanel));
    pDest->addWidget(pEdit, 1);
    pDest->addWidget(pChoose);
    pLayout->addLayout(pDest);
    auto* pConvertRow = new QHBoxLayout;
    pConvertRow->addStretch();
    pConvertRow->addWidget(pConvert);
    pLayout->addLayout(pConvertRow);
    return pChoose;
}

bool CFolderChooser::CheckOutputFolder(QWidget* pPanel, const QString& folder) {
    std::error_code error;
    if (folder.isEmpty() || !std::filesystem::exists(folder.toStdString(), error)) {
        CAlert::Show(pPanel, QObject::tr("Invalid output folder path."), QString());
        return false;
    }
    return true;
}

void CFolderChooser::ShowFolderName(QLabel* pLabel, const QString& format, const QString& folder) {
    const QString name = QFileInfo(folder).fileName();
    pLabel->setText(format.arg(folder.isEmpty() ? QObject::tr("the folder")
                               : name.isEmpty() ? folder
                                                : name));
    pLabel->setToolTip(folder);
}
