#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

// The question a job asks before it replaces files: its title as it gives
// it, the files one whole path a line in a list that scrolls both ways, OK,
// and Cancel, the default and the answer of Esc; the box "Do the same for
// the remaining files of this run" is for the caller to honour.
class COverwriteDialog : public QDialog {
    Q_OBJECT
public:
    // title and message as the jobs pass them: lines and paths end in "\r"
    // or "\r\n".
    COverwriteDialog(const QString& title, const QString& message, QWidget* pParent = nullptr);

    // Asks; true for OK. isSameForRest tells whether the box was ticked.
    static bool Ask(QWidget* pParent, const QString& title, const QString& message,
                    bool& isSameForRest);

    const QStringList& getPaths() const { return m_arrayPath; }
    bool isSameForRest() const;

private:
    QStringList m_arrayPath;
    QPlainTextEdit* m_editPath;
    QCheckBox* m_checkSameForRest;
};
