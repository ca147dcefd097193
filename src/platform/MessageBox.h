#pragma once

#include <QString>

class QWidget;

// A modal message box with the prompt, a single OK button and the title; returns when it
// is dismissed. CR LF in the prompt breaks lines.
void MsgBox(const QString &prompt, const QString &title, QWidget *parent = nullptr);
