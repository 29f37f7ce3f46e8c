#include "CGoFolderDialog.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CGoFolderDialog::CGoFolderDialog(const QString& startPath, QWidget* pParent)
    : QDialog(pParent), m_strBase(startPath), m_editPath(new QLineEdit(startPath, this)) {
    setObjectName(QStringLiteral("GoFolderDialog"));
    setWindowTitle(tr("Go to Folder"));
    auto* pLabel = new QLabel(tr("&Folder path:"), this);
    pLabel->setBuddy(m_editPath);
    m_editPath->setObjectName(QStringLiteral("FolderPath"));
    m_editPath->setAccessibleName(tr("Folder path"));
    m_editPath->setPlaceholderText(tr("/srv/audio, ~/Recordings, a network mount..."));
    m_editPath->setMinimumWidth(m_editPath->fontMetrics().averageCharWidth() * 60);
    m_editPath->selectAll();

    // Folders only, read in the background as the path is typed.
    auto* pModel = new QFileSystemModel(this);
    pModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    pModel->setRootPath(QString());
    auto* pCompleter = new QCompleter(pModel, this);
    pCompleter->setCompletionMode(QCompleter::PopupCompletion);
    m_editPath->setCompleter(pCompleter);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonOk = pButtons->button(QDialogButtonBox::Ok);
    m_buttonOk->setText(tr("Go"));
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_editPath, &QLineEdit::textChanged, this, &CGoFolderDialog::OnTextChanged);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_editPath);
    pLayout->addWidget(pButtons);
    OnTextChanged();
}

QString CGoFolderDialog::getPath() const {
    QString path = m_editPath->text().trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/"))) {
        path = QDir::homePath() + path.mid(1);
    }
    if (path.isEmpty()) {
        return QString();
    }
    if (QDir::isRelativePath(path)) {
        path = QDir(m_strBase.isEmpty() ? QDir::homePath() : m_strBase).filePath(path);
    }
    path = QDir::cleanPath(path);
    return QFileInfo(path).isDir() ? path : QString();
}

void CGoFolderDialog::OnTextChanged() {
    m_buttonOk->setEnabled(!getPath().isEmpty());
}
