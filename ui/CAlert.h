#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// A modal alert: the title as the main text, the message as informative
// text, push buttons in the given order with the first as the default.
// Returns the index of the button pressed. Must run on the UI thread.
class CAlert {
public:
    static int Show(QWidget* pParent, const QString& title, const QString& message,
                    const QStringList& buttons = {"OK"});
};
