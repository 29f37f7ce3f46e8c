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

QString CFolderChooser::Choose(QWidget* pParent, const QString& startFolder) {
    QFileDialog dialog(pParent);
    if (QFileInfo(startFolder).isDir()) {
        dialog.setDirectory(startFolder);
    }
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
    auto* pChoose = new QPushButton(QObject::tr("Choo&se\u2026"), pPanel);
    auto* pLabel = new QLabel(QObject::tr("&Output folder"), pPanel);
    pLabel->setBuddy(pEdit);
    pChoose->setObjectName(QStringLiteral("DestChoose"));
    pChoose->setToolTip(QObject::tr("Choose the folder the converted files go to"));
    pEdit->setAccessibleName(QObject::tr("Output folder"));
    pEdit->setPlaceholderText(QObject::tr("The folder the converted files go to"));
    pConvert->setAccessibleName(QObject::tr("Convert"));
    // Enter in a field or a list must not start a run.
    for (QPushButton* pButton : {pChoose, pConvert}) {
        pButton->setAutoDefault(false);
        pButton->setDefault(false);
    }
    auto* pDest = new QHBoxLayout;
    pDest->addWidget(pLabel);
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

QString CFolderChooser::StartFolder(const QString& current, const QString& fallback) {
    return QFileInfo(current).isDir() ? current : fallback;
}

void CFolderChooser::ShowFolderName(QLabel* pLabel, const QString& format, const QString& folder) {
    const QString name = QFileInfo(folder).fileName();
    pLabel->setText(format.arg(folder.isEmpty() ? QObject::tr("the folder")
                               : name.isEmpty() ? folder
                                                : name));
    pLabel->setToolTip(folder);
}
