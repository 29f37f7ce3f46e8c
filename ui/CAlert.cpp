#include "CAlert.h"

#include <QMessageBox>
#include <QPushButton>

int CAlert::Show(QWidget* pParent, const QString& title, const QString& message,
                 const QStringList& buttons) {
    QMessageBox box(pParent);
    box.setWindowTitle(QStringLiteral("Kestrawave"));
    box.setText(title);
    box.setInformativeText(message);
    QList<QPushButton*> arrayButton;
    for (const QString& text : buttons) {
        arrayButton.append(box.addButton(text, QMessageBox::AcceptRole));
    }
    if (!arrayButton.isEmpty()) {
        box.setDefaultButton(arrayButton.first());
        box.setEscapeButton(arrayButton.first());
    }
    box.exec();
    int index = int(arrayButton.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return index < 0 ? 0 : index;
}
