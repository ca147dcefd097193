#include "settings_window/SettingsHelp.h"

#include <QtTest>

// The information message, character for character.
class TestSettingsHelp : public QObject
{
    Q_OBJECT

private slots:
    void titleIsExact();
    void promptIsExact();
};

void TestSettingsHelp::titleIsExact()
{
    QCOMPARE(SettingsHelpTitle(), QStringLiteral("The Dravik Quintavel Screen Saver Settings"));
}

void TestSettingsHelp::promptIsExact()
{
    // The trailing blanks of the first two lines, the empty line after "presentation." and
    // the closing empty line are all part of it.
    const QString expected =
        QString::fromUtf8("The Dravik Quintavel Screen Saver must be initially installed from \r\n"
                          "within the Dravik Quintavel itself. Use this screen to adjust the \r\n"
                          "timing interval of the presentation.\r\n"
                          "\r\n"
                          "Additional options exist allowing you to set the screen saver to use\r\n"
                          "all the photos from the Dravik Quintavel library or just the ones that\r\n"
                          "you have selected from the Screen Saver Photo Selection form. They\r\n"
                          "are available under the File/Install Screen Saver menu items within\r\n"
                          "the Dravik Quintavel software.\r\n"
                          "\r\n");
    QCOMPARE(SettingsHelpPrompt(), expected);
}

QTEST_APPLESS_MAIN(TestSettingsHelp)
#include "tst_settings_help.moc"
