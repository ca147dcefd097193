#include "platform/desktop/MessageBox.h"

#include "platform/desktop/ShowCursor.h"

#include <QMessageBox>

void MsgBox(const QString &prompt, const QString &title, QWidget *parent)
{
    QString shown = prompt;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, title, shown, QMessageBox::Ok, parent);
    // File names and other outside text must never be taken for markup.
    box.setTextFormat(Qt::PlainText);
    const ShownPointer pointer;
    box.exec();
}
