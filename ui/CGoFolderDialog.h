#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Go > Folder: asks for a folder by its path, typed or completed from the
// disk (folders only); "~" stands for the home folder, a relative path is
// taken from the start folder. OK is enabled only while the path names an
// existing folder.
class CGoFolderDialog : public QDialog {
    Q_OBJECT
public:
    // startPath: shown selected at first, and the base of a relative path.
    explicit CGoFolderDialog(const QString& startPath, QWidget* pParent = nullptr);

    // The folder typed, absolute and clean; empty while it is no folder.
    QString getPath() const;
    QLineEdit* getEdit() const { return m_editPath; }
    QPushButton* getOkButton() const { return m_buttonOk; }

private:
    void OnTextChanged();

    QString m_strBase;
    QLineEdit* m_editPath;
    QPushButton* m_buttonOk;
};
