#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The output folder of both tabs: its chooser, its rows in the tab and the
// check that Convert makes of it.
class CFolderChooser {
public:
    // Folders only, accept button "Choose", opening at startFolder when it
    // is a folder. The chosen folder, or a null string when cancelled.
    static QString Choose(QWidget* pParent, const QString& startFolder = QString());
    // Adds the row "Output folder" [field] [Choose...] and the row with
    // Convert at the right, with mnemonics, accessible names and Convert
    // never a default button; returns the Choose button.
    static QPushButton* AddOutputRows(QWidget* pPanel, QVBoxLayout* pLayout, QLineEdit* pEdit,
                                      QPushButton* pConvert);
    // False, after the alert "Invalid output folder path.", when nothing
    // exists at folder (also when it is empty).
    static bool CheckOutputFolder(QWidget* pPanel, const QString& folder);
    // The folder to open a chooser at: current when it is a folder, else
    // fallback.
    static QString StartFolder(const QString& current, const QString& fallback);
    // Sets the label to format with the folder's name (the whole path as its
    // tip), or with "the folder" while there is none.
    static void ShowFolderName(QLabel* pLabel, const QString& format, const QString& folder);
};
