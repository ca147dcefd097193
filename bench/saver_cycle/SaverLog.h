#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the saver writes on standard error, with its lifecycle and timing categories on and
// QT_MESSAGE_PATTERN="%{category}: %{message}", read as it comes. The timing category has one
// line per handler run on the user-interface thread:
//   dravik.timing: Timer1_Timer 1234 us   the tick handler: a tick
//   dravik.timing: photo shown 567 us     the deferred completion of a tick whose photo was
//                                         still decoding when its handler ran
// A build that does not log them has no ticks here; that is told apart from a build whose
// ticks took no time.
class SaverLog
{
public:
    struct Tick
    {
        qint64 handlerMicroseconds = 0;
        // Every completion logged after the tick's handler and before the next tick's.
        qint64 completionMicroseconds = 0;

        qint64 userInterfaceMicroseconds() const { return handlerMicroseconds + completionMicroseconds; }
    };

    // Takes the next bytes of standard error; a line is read once its newline has come.
    void append(const QByteArray &bytes);

    const QList<Tick> &ticks() const { return m_ticks; }
    // The lifecycle log's "Form1 shown": the saver's window is up.
    bool windowShown() const { return m_windowShown; }
    // The lifecycle log's first "Timer1_Timer failed" line, empty while no tick has failed.
    QString tickFailure() const { return m_tickFailure; }
    // Lines of the timing category that are neither form above, or a completion before any
    // tick: a sign that the program logs in a form this reading does not know.
    QStringList unexpectedTimingLines() const { return m_unexpectedTimingLines; }
    // Everything read so far, for reports.
    QString text() const { return QString::fromLocal8Bit(m_text); }

private:
    void takeLine(const QByteArray &line);

    QByteArray m_text;
    QByteArray m_partialLine;
    QList<Tick> m_ticks;
    bool m_windowShown = false;
    QString m_tickFailure;
    QStringList m_unexpectedTimingLines;
};
