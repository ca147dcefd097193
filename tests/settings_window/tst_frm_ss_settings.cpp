#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "MessageBoxWatcher.h"
#include "SettingsProbeClient.h"
#include "platform/controls/CommandButton3D.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/controls/SpinButton.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"
#include "settings_window/SettingsHelp.h"
#include "settings_window/frmSSSettings.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// The settings window in this process: its layout, its five handlers and its keyboard.
class TestSettingsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsSitAsDesigned_data();
    void controlsSitAsDesigned();
    void windowKeepsItsDesignSizeCentredOnScreen();
    void labelsLookAsDesigned_data();
    void labelsLookAsDesigned();
    void buttonsLookAsDesigned_data();
    void buttonsLookAsDesigned();
    void panelsSpinAndPictureLookAsDesigned();

    void opensAtOneSecond();
    void arrowsStepAlongTheCycle();
    void setStoresTheSeconds_data();
    void setStoresTheSeconds();
    void setStoresNothingElseAndChangesNothing();
    void opensAtOneSecondWhateverWasStored_data();
    void opensAtOneSecondWhateverWasStored();
    void helpShowsTheInformationMessage();

    void tabMovesThroughSetHelpExitAndSpin_data();
    void tabMovesThroughSetHelpExitAndSpin();
    void spaceAndEnterPressTheFocusedButton_data();
    void spaceAndEnterPressTheFocusedButton();
    void arrowKeysStepTheFocusedSpinButton_data();
    void arrowKeysStepTheFocusedSpinButton();

    void exitEndsTheProgramWithoutSaving();
    void closeButtonClosesWithoutSaving();

private:
    template <typename Control>
    Control *control(const QString &name) const
    {
        return m_window->findChild<Control *>(name);
    }
    QToolButton *arrow(bool up) const;
    void step(int steps) const;
    QString caption() const;
    QString storedInterval() const;

    std::unique_ptr<IsolatedUserDirs> m_dirs;
    QPointer<frmSSSettings> m_window;
    int m_ends = 0;
};

void TestSettingsWindow::initTestCase()
{
    // The pixel positions below assume the design resolution.
    QCOMPARE(Screen().twipsPerPixel(), 15.0f);
}

void TestSettingsWindow::init()
{
    m_dirs = std::make_unique<IsolatedUserDirs>();
    m_dirs->applyToThisProcess();
    m_ends = 0;
    // What start-up does before it shows the window.
    IntervalMs = 1000;
    m_window = new frmSSSettings([this] { ++m_ends; });
    m_window->showModeless();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestSettingsWindow::cleanup()
{
    delete m_window;
    m_dirs.reset();
}

QToolButton *TestSettingsWindow::arrow(bool up) const
{
    // The down arrow is on the left, the up arrow on the right.
    for (QToolButton *button : control<SpinButton>(u"SpinInterval"_s)->findChildren<QToolButton *>()) {
        if ((button->x() > 0) == up)
            return button;
    }
    return nullptr;
}

// Clicks the up arrow for positive steps and the down arrow for negative ones.
void TestSettingsWindow::step(int steps) const
{
    QToolButton *button = arrow(steps > 0);
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::mouseClick(button, Qt::LeftButton);
}

QString TestSettingsWindow::caption() const
{
    return control<Panel3D>(u"panInterval"_s)->Caption();
}

QString TestSettingsWindow::storedInterval() const
{
    return SettingsProbeClient::get(m_dirs->environment(), u"Interval"_s).value_or(u"<probe failed>"_s);
}

void TestSettingsWindow::controlsSitAsDesigned_data()
{
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("pnlSSaver") << u"frmSSSettings"_s << QRectF(0, 0, 6255, 4455) << QRect(0, 0, 417, 297);
    QTest::newRow("Label7") << u"pnlSSaver"_s << QRectF(1800, 240, 3495, 375) << QRect(120, 16, 233, 25);
    QTest::newRow("Label8") << u"pnlSSaver"_s << QRectF(1800, 600, 2895, 375) << QRect(120, 40, 193, 25);
    QTest::newRow("Image2") << u"pnlSSaver"_s << QRectF(480, 1200, 5265, 1575) << QRect(32, 80, 351, 105);
    QTest::newRow("Label9") << u"pnlSSaver"_s << QRectF(600, 3240, 2415, 375) << QRect(40, 216, 161, 25);
    // The bottom rows overlap their neighbours by one pixel.
    QTest::newRow("SpinInterval") << u"pnlSSaver"_s << QRectF(3120, 3240, 975, 255) << QRect(208, 216, 65, 17);
    QTest::newRow("panInterval") << u"pnlSSaver"_s << QRectF(4080, 3240, 1410, 255) << QRect(272, 216, 94, 17);
    QTest::newRow("SSCommand4") << u"pnlSSaver"_s << QRectF(360, 3720, 1815, 375) << QRect(24, 248, 121, 25);
    QTest::newRow("SSCommand6") << u"pnlSSaver"_s << QRectF(2160, 3720, 1815, 375) << QRect(144, 248, 121, 25);
    QTest::newRow("SSCommand5") << u"pnlSSaver"_s << QRectF(3960, 3720, 1815, 375) << QRect(264, 248, 121, 25);
}

void TestSettingsWindow::controlsSitAsDesigned()
{
    QFETCH(QString, parentName);
    QFETCH(QRectF, twips);
    QFETCH(QRect, pixels);

    const auto *element = control<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(element);
    QCOMPARE(element->parentWidget()->objectName(), parentName);
    QCOMPARE(
        QRectF(Element::Left(*element), Element::Top(*element), Element::Width(*element), Element::Height(*element)),
        twips);
    QCOMPARE(element->geometry(), pixels);
    QVERIFY(element->isVisible());
}

void TestSettingsWindow::windowKeepsItsDesignSizeCentredOnScreen()
{
    QCOMPARE(m_window->windowTitle(), u"Screen Saver Settings"_s);
    QCOMPARE(m_window->size(), QSize(415, 296));
    QCOMPARE(m_window->minimumSize(), QSize(415, 296));
    QCOMPARE(m_window->maximumSize(), QSize(415, 296));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));

    const QPoint offCentre = m_window->geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 1, qPrintable(u"%1, %2"_s.arg(offCentre.x()).arg(offCentre.y())));
}

void TestSettingsWindow::labelsLookAsDesigned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<qreal>("points");

    QTest::newRow("Label7") << u"The Dravik Quintavel"_s << QColor(255, 0, 0) << 12.0;
    QTest::newRow("Label8") << u"Screen Saver Settings"_s << QColor(255, 0, 0) << 12.0;
    QTest::newRow("Label9") << u"Select the photo delay:"_s << QColor(0, 0, 128) << 9.75;
}

void TestSettingsWindow::labelsLookAsDesigned()
{
    QFETCH(QString, text);
    QFETCH(QColor, color);
    QFETCH(qreal, points);

    const auto *label = control<QLabel>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::WindowText), color);
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->font().family(), u"MS Sans Serif"_s);
    QCOMPARE(label->font().pointSizeF(), points);
    QVERIFY(label->font().bold());
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestSettingsWindow::buttonsLookAsDesigned_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");

    QTest::newRow("SSCommand4") << u"Set"_s << QColor(Qt::black);
    QTest::newRow("SSCommand6") << u"Exit"_s << QColor(Qt::black);
    QTest::newRow("SSCommand5") << u"Help"_s << QApplication::palette().color(QPalette::ButtonText);
}

void TestSettingsWindow::buttonsLookAsDesigned()
{
    QFETCH(QString, text);
    QFETCH(QColor, color);

    const auto *button = control<CommandButton3D>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QCOMPARE(button->palette().color(QPalette::ButtonText), color);
    QCOMPARE(button->font().family(), u"System"_s);
    QCOMPARE(button->font().pointSizeF(), 9.75);
    QVERIFY(button->font().bold());
    QVERIFY(button->isEnabled());
}

void TestSettingsWindow::panelsSpinAndPictureLookAsDesigned()
{
    const auto *panel = control<Panel3D>(u"pnlSSaver"_s);
    QVERIFY(panel);
    QCOMPARE(panel->Caption(), QString());
    QCOMPARE(panel->look().background, QColor(Qt::white));
    QCOMPARE(panel->look().outer, Panel3D::Bevel::Raised);
    QCOMPARE(panel->look().inner, Panel3D::Bevel::None);
    QCOMPARE(panel->look().bevelWidth, 6);
    QCOMPARE(panel->look().borderWidth, 4);

    const auto *interval = control<Panel3D>(u"panInterval"_s);
    QVERIFY(interval);
    QCOMPARE(interval->look().background, QColor(Qt::white));
    QCOMPARE(interval->look().foreground, QColor(0, 0, 128));
    QCOMPARE(interval->look().outer, Panel3D::Bevel::Inset);
    QCOMPARE(interval->look().inner, Panel3D::Bevel::None);
    QCOMPARE(interval->look().bevelWidth, 3);
    QCOMPARE(interval->look().borderWidth, 4);
    QCOMPARE(interval->font().family(), u"MS Sans Serif"_s);
    QCOMPARE(interval->font().pointSizeF(), 8.25);
    QVERIFY(interval->font().bold());

    const auto *spin = control<SpinButton>(u"SpinInterval"_s);
    QVERIFY(spin);
    QCOMPARE(spin->toolTip(), u"Set Slide Show Delay"_s);
    QCOMPARE(spin->palette().color(QPalette::Button), QColor(192, 192, 192));
    QVERIFY(arrow(false) && arrow(true));

    const auto *picture = control<ImageElement>(u"Image2"_s);
    QVERIFY(picture);
    QVERIFY(picture->Stretch());
    QCOMPARE(picture->Picture().size(), QSize(452, 140));
    // Stretching must not have resized the box to the picture.
    QCOMPARE(picture->size(), QSize(351, 105));
}

void TestSettingsWindow::opensAtOneSecond()
{
    QCOMPARE(caption(), u"1 Second"_s);
    QCOMPARE(IntervalMs, 1000);
}

void TestSettingsWindow::arrowsStepAlongTheCycle()
{
    const QList<int> seconds = {1, 2, 3, 4, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60};

    for (int i = 1; i <= 16; ++i) {
        step(+1);
        QCOMPARE(IntervalMs, seconds[i % 16] * 1000);
        QCOMPARE(caption(), u"%1 Seconds"_s.arg(seconds[i % 16]));
    }
    for (int i = 1; i <= 16; ++i) {
        step(-1);
        QCOMPARE(IntervalMs, seconds[(16 - i) % 16] * 1000);
        QCOMPARE(caption(), u"%1 Seconds"_s.arg(seconds[(16 - i) % 16]));
    }
    QCOMPARE(caption(), u"1 Seconds"_s);
}

void TestSettingsWindow::setStoresTheSeconds_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("stored");

    QTest::newRow("no step") << 0 << u"1"_s;
    QTest::newRow("one down to 60") << -1 << u"60"_s;
    QTest::newRow("six up to 15") << 6 << u"15"_s;
    QTest::newRow("ten down to 15") << -10 << u"15"_s;
    QTest::newRow("four up to 5") << 4 << u"5"_s;
}

void TestSettingsWindow::setStoresTheSeconds()
{
    QFETCH(int, steps);
    QFETCH(QString, stored);

    step(steps);
    QTest::mouseClick(control<CommandButton3D>(u"SSCommand4"_s), Qt::LeftButton);
    QCOMPARE(storedInterval(), stored);
}

void TestSettingsWindow::setStoresNothingElseAndChangesNothing()
{
    SaveSetting(kApplicationTitle, u"Settings"_s, u"DraviksDir"_s, u"/media/cdrom/draviks/"_s);
    auto *set = control<CommandButton3D>(u"SSCommand4"_s);

    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(storedInterval(), u"1"_s);
    // Each use overwrites the value with the current one.
    step(+2);
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(storedInterval(), u"3"_s);

    QCOMPARE(SettingsProbeClient::get(m_dirs->environment(), u"DraviksDir"_s).value_or(QString()),
             u"/media/cdrom/draviks/"_s);
    QTemporaryDir copyDir;
    const QString copy = copyDir.filePath(u"copy.ini"_s);
    QVERIFY(QFile::copy(m_dirs->settingsFile(), copy));
    QCOMPARE(QSettings(copy, QSettings::IniFormat).allKeys(),
             QStringList({u"Settings/DraviksDir"_s, u"Settings/Interval"_s}));

    QVERIFY(m_window->isVisible());
    QCOMPARE(IntervalMs, 3000);
    QCOMPARE(caption(), u"3 Seconds"_s);
}

void TestSettingsWindow::opensAtOneSecondWhateverWasStored_data()
{
    QTest::addColumn<QString>("stored");

    QTest::newRow("30") << u"30"_s;
    QTest::newRow("60") << u"60"_s;
    // Reading this would raise a type mismatch.
    QTest::newRow("not a number") << u"abc"_s;
}

void TestSettingsWindow::opensAtOneSecondWhateverWasStored()
{
    QFETCH(QString, stored);

    delete m_window;
    SaveSetting(kApplicationTitle, u"Settings"_s, u"Interval"_s, stored);
    IntervalMs = 1000;
    m_window = new frmSSSettings([this] { ++m_ends; });
    m_window->showModeless();

    QCOMPARE(caption(), u"1 Second"_s);
    step(+1);
    QCOMPARE(caption(), u"2 Seconds"_s);
    // Stepping alone leaves the stored value as it was.
    QCOMPARE(storedInterval(), stored);
}

void TestSettingsWindow::helpShowsTheInformationMessage()
{
    step(+3);
    MessageBoxWatcher watcher;
    QTest::mouseClick(control<CommandButton3D>(u"SSCommand5"_s), Qt::LeftButton);

    QCOMPARE(watcher.seen().size(), 1);
    const MessageBoxWatcher::Seen &box = watcher.seen().constFirst();
    QCOMPARE(box.title, u"The Dravik Quintavel Screen Saver Settings"_s);
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    // The box breaks lines at plain line feeds; the exact prompt is pinned by its own test.
    QCOMPARE(box.text, SettingsHelpPrompt().replace(u"\r\n"_s, u"\n"_s));
    QVERIFY(box.text.endsWith(u"software.\n\n"_s));

    QVERIFY(m_window->isVisible());
    QCOMPARE(IntervalMs, 4000);
    QCOMPARE(caption(), u"4 Seconds"_s);
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));
}

void TestSettingsWindow::tabMovesThroughSetHelpExitAndSpin_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("focusOrder");

    QTest::newRow("Tab") << false
                         << QStringList{u"SSCommand5"_s, u"SSCommand6"_s, u"SpinInterval"_s, u"SSCommand4"_s,
                                        u"SSCommand5"_s};
    QTest::newRow("Shift+Tab") << true
                               << QStringList{u"SpinInterval"_s, u"SSCommand6"_s, u"SSCommand5"_s, u"SSCommand4"_s,
                                              u"SpinInterval"_s};
}

void TestSettingsWindow::tabMovesThroughSetHelpExitAndSpin()
{
    QFETCH(bool, backwards);
    QFETCH(QStringList, focusOrder);

    // The window opens with "Set" focused.
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(u"SSCommand4"_s));
    for (const QString &name : focusOrder) {
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
}

void TestSettingsWindow::spaceAndEnterPressTheFocusedButton_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");

    QTest::newRow("Space on Set") << u"SSCommand4"_s << int(Qt::Key_Space);
    QTest::newRow("Return on Set") << u"SSCommand4"_s << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on Set") << u"SSCommand4"_s << int(Qt::Key_Enter);
    QTest::newRow("Space on Help") << u"SSCommand5"_s << int(Qt::Key_Space);
    QTest::newRow("Return on Help") << u"SSCommand5"_s << int(Qt::Key_Return);
}

void TestSettingsWindow::spaceAndEnterPressTheFocusedButton()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    const bool saves = target == u"SSCommand4"_s;

    // Clicking an arrow hands the spin button the focus; Tab goes on to Set, then Help.
    step(-1);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"SpinInterval"_s);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
    if (!saves)
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), target);

    MessageBoxWatcher watcher;
    QTest::keyClick(m_window->windowHandle(), Qt::Key(key));
    if (saves)
        QTRY_VERIFY(QFile::exists(m_dirs->settingsFile()));
    else
        QTRY_VERIFY(!watcher.seen().isEmpty());

    QCOMPARE(storedInterval(), saves ? u"60"_s : u"<absent>"_s);
    QCOMPARE(watcher.seen().isEmpty(), saves);
    QCOMPARE(caption(), u"60 Seconds"_s);
}

void TestSettingsWindow::arrowKeysStepTheFocusedSpinButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");

    QTest::newRow("Right") << int(Qt::Key_Right) << u"2 Seconds"_s;
    QTest::newRow("Up") << int(Qt::Key_Up) << u"2 Seconds"_s;
    QTest::newRow("Left") << int(Qt::Key_Left) << u"60 Seconds"_s;
    QTest::newRow("Down") << int(Qt::Key_Down) << u"60 Seconds"_s;
}

void TestSettingsWindow::arrowKeysStepTheFocusedSpinButton()
{
    QFETCH(int, key);
    QFETCH(QString, shown);

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"SpinInterval"_s);
    QTest::keyClick(m_window->windowHandle(), Qt::Key(key));
    QCOMPARE(caption(), shown);
    QTest::keyClick(m_window->windowHandle(), Qt::Key(key));
    QCOMPARE(IntervalMs, shown == u"2 Seconds"_s ? 3000 : 55000);
}

void TestSettingsWindow::exitEndsTheProgramWithoutSaving()
{
    step(+3);
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));

    control<CommandButton3D>(u"SSCommand6"_s)->click();

    QCOMPARE(m_ends, 1);
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));
}

void TestSettingsWindow::closeButtonClosesWithoutSaving()
{
    SaveSetting(kApplicationTitle, u"Settings"_s, u"Interval"_s, u"30"_s);
    QFile file(m_dirs->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    step(+2);

    // What the frame's close button asks of the window, inside the program's event loop:
    // the only window closes and the loop ends, which ends the program.
    bool loopHung = false;
    QTimer::singleShot(0, m_window, [this] { m_window->windowHandle()->close(); });
    QTimer::singleShot(10000, qApp, [&loopHung] {
        loopHung = true;
        QCoreApplication::exit(1);
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!loopHung);

    QVERIFY(!m_window->isVisible());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(storedInterval(), u"30"_s);
}

QTEST_MAIN(TestSettingsWindow)
#include "tst_frm_ss_settings.moc"
