#pragma once

#include <QString>

class QWidget;

// The output-folder chooser of both tabs: folders only, accept button
// "Choose". The chosen folder, or a null string when cancelled.
class CFolderChooser {
public:
    static QString Choose(QWidget* pParent);
};
