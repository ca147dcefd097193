#pragma once

#include <QString>

class QWidget;

// A modal message box with the prompt, a single OK button and the title; returns when it
// is dismissed. CR LF in the prompt breaks lines. The pointer shows over it even while the
// saver hides it elsewhere.
void MsgBox(const QString &prompt, const QString &title, QWidget *parent = nullptr);
