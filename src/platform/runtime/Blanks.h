#pragma once

#include <QChar>
#include <QStringView>

// A blank is a space or a tab: what a settings file, a typed number and the daemon's list of
// programs may put around their words. Other white space (a form feed, a CR) is not.
inline bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// text without the blanks at its two ends.
QStringView WithoutBlanks(QStringView text);
