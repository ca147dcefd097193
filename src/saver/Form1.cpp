#include "saver/Form1.h"

#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/MessageBox.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/ShowCursor.h"
#include "platform/desktop/Timer.h"
#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/DismissalRules.h"
#include "saver/FailureNotice.h"
#include "saver/HostedPresentation.h"
#include "saver/ScreenCovers.h"
#include "saver/SurfaceMoves.h"
#include "settings/NumberText.h"
#include "settings/ProgramSettings.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScopeGuard>

#include <utility>

namespace {

constexpr qint32 kMillisecondsPerSecond = 1000;

const QString kFailureText = QStringLiteral("Unable to find Dravik photographs!\r\n\r\n"
                                            "Make sure that the Dravik Quintavel is in the CDROM drive.");
const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");

} // namespace

Form1::Form1(EndAction endProgram, std::unique_ptr<HostWindow> host, QWidget *parent)
    : Window(std::move(endProgram), parent)
{
    setupUi(*this);
    m_covers = new ScreenCovers(this);
    m_moves = new SurfaceMoves(*this, *Image1);
    m_screenChanges = new ScreenChanges(this);
    m_photoTicks = new PhotoTicks([this] { return Image1->deviceSize(); }, this);

    // The other screens are part of the window's surface.
    connect(m_covers, &ScreenCovers::KeyDown, this, &Form1::Form_KeyDown);
    connect(m_covers, &ScreenCovers::MouseDown, this, &Form1::Form_MouseDown);
    connect(m_covers, &ScreenCovers::MouseMove, m_moves, &SurfaceMoves::coverMove);

    connect(Timer1, &Timer::Tick, this, &Form1::Timer1_Timer);
    connect(m_photoTicks, &PhotoTicks::photoShown, this, &Form1::showPhoto);
    connect(m_photoTicks, &PhotoTicks::tickEnded, this, &Form1::finishTick);

    connect(m_moves, &SurfaceMoves::windowMove, this, &Form1::Form_MouseMove);
    connect(m_moves, &SurfaceMoves::photoArrival, this, &Form1::Image1_MouseMove);
    connect(Image1, &ImageElement::MouseDown, this, &Form1::Image1_MouseDown);
    connect(Image1, &ImageElement::MouseMove, this, &Form1::Image1_MouseMove);
    connect(Image1, &ImageElement::Click, this, &Form1::Image1_Click);

    if (host) {
        m_hosted = std::make_unique<HostedPresentation>(std::move(host), *this, [this] { return placedStack(); });
        m_failureNotice = new FailureNotice(this);
        connect(m_hosted.get(), &HostedPresentation::resized, this, &Form1::followHost);
        connect(m_hosted.get(), &HostedPresentation::gone, this, [this] {
            qCDebug(lcLifecycle) << "the window Form1 draws into is gone";
            this->endProgram();
        });
    } else {
        connect(m_screenChanges, &ScreenChanges::primaryChanged, this, &Form1::followPrimaryScreen);
    }
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    IntervalSeconds = IntervalFromText(ProgramSettings::IntervalText());
    Timer1->setInterval(
        CheckedMultiply(IntervalSeconds, kMillisecondsPerSecond, QStringLiteral("IntervalSeconds * 1000")));
    PhotoDir = ProgramSettings::PhotoDirectory();

    layOut();
    // So that the first tick, too, finds the directory listed and its photo decoded.
    m_photoTicks->prepareFirstTick();
}

void Form1::layOut()
{
    // Each layout starts from the design, however often the screen changes.
    Element::setTop(*SSPanel1, kFrameDesignTop);
    const ScreenTwips screen = screenTwips();
    SaverStack stack = placedStack();
    OffsetFrameForScreen(stack, screen);
    Element::setTop(*SSPanel1, stack.SSPanel1.top);

    Element::setLeft(*this, 0);
    Element::setTop(*this, 0);
    maximise();

    stack = placedStack();
    CentreAndStack(stack, screen);
    placeStack(stack);
}

void Form1::followPrimaryScreen()
{
    // The screen the stack was laid out for is no longer the primary, or gone: the saver moves
    // to the new primary and is laid out for it once, as the load would have, so it stays whole.
    qCDebug(lcLifecycle) << "Form1 follows the primary screen";
    layOut();
}

void Form1::maximise()
{
    // Over the whole primary screen, panels and task bars included, as a saver must be; in a
    // host, as the host's size decides.
    if (m_hosted)
        m_hosted->place();
    else
        Screen().coverWith(*this);
}

ScreenTwips Form1::screenTwips() const
{
    return m_hosted ? m_hosted->screenTwips() : PrimaryScreenTwips();
}

void Form1::followHost()
{
    qCDebug(lcLifecycle) << "Form1 follows its host's size" << m_hosted->host().size();
    layOut();
}

void Form1::setVisible(bool visible)
{
    if (m_hosted)
        m_hosted->setVisible(visible);
    else
        Window::setVisible(visible);
}

void Form1::showEvent(QShowEvent *event)
{
    Window::showEvent(event);
    // In another program's window the pointer, the keyboard and the other screens are that
    // program's business.
    if (m_hosted)
        return;
    if (!m_shownBefore) {
        m_shownBefore = true;
        // As the desktop does when it starts a saver; every way out shows the pointer again.
        const int count = ShowCursor(0);
        qCDebug(lcLifecycle) << "Form1 shown: display count" << count;
        m_moves->takeRestingPosition();
        m_covers->show();
    }
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void Form1::closeEvent(QCloseEvent *event)
{
    Window::closeEvent(event);
    // A closed window shows no more photos, and no more failure messages.
    if (event->isAccepted()) {
        Timer1->setInterval(0);
        m_photoTicks->stop();
        m_covers->close();
    }
}

bool Form1::event(QEvent *event)
{
    // Every key, Tab included, before Qt's focus handling can take it.
    if (event->type() == QEvent::KeyPress) {
        Form_KeyDown();
        return true;
    }
    return Window::event(event);
}

void Form1::mousePressEvent(QMouseEvent *)
{
    Form_MouseDown();
}

void Form1::Timer1_Timer()
{
    // The failure message runs its own event loop, in which ticks go on: while it is open
    // they leave everything as it is, so messages never pile up.
    if (!m_failureMessageOpen)
        m_photoTicks->tick();
}

void Form1::showPhoto(const QImage &picture, const QString &caption)
{
    Image1->setPicture(picture);
    panYear().setCaption(caption);
    if (m_failureNotice)
        m_failureNotice->hide();
}

void Form1::finishTick(PhotoTicks::Outcome outcome)
{
    if (outcome == PhotoTicks::Outcome::Failed)
        showFailure();
    if (m_hosted)
        m_hosted->refresh();
}

void Form1::showFailure()
{
    // Nobody can answer a message box while a daemon holds the keyboard: in its window the
    // message is part of the picture, until a tick shows a photo again.
    if (m_failureNotice) {
        m_failureNotice->showMessage(kFailureTitle, kFailureText);
        return;
    }
    m_failureMessageOpen = true;
    const auto closed = qScopeGuard([this] { m_failureMessageOpen = false; });
    MsgBox(kFailureText, kFailureTitle, this);
}

void Form1::Form_KeyDown()
{
    dismissBy("Form_KeyDown");
}

void Form1::Form_MouseDown()
{
    dismissBy("Form_MouseDown");
}

void Form1::Form_MouseMove()
{
    dismissOnFourthMove("Form_MouseMove: FormMoveCount", m_formMoveCount);
}

void Form1::Form_QueryUnload()
{
    qCDebug(lcLifecycle) << "Form_QueryUnload";
    RestoreCursor();
}

void Form1::Form_Unload()
{
    qCDebug(lcLifecycle) << "Form_Unload";
    RestoreCursor();
}

void Form1::Image1_Click()
{
    dismissBy("Image1_Click");
}

void Form1::Image1_MouseDown()
{
    dismissBy("Image1_MouseDown");
}

void Form1::Image1_MouseMove()
{
    dismissOnFourthMove("Image1_MouseMove: Image1MoveCount", m_image1MoveCount);
}

void Form1::dismissBy(const char *handler)
{
    if (!ownsInput())
        return;
    qCDebug(lcLifecycle) << handler;
    endProgram();
}

void Form1::dismissOnFourthMove(const char *handlerAndCounter, qint16 &moveCount)
{
    if (!ownsInput())
        return;
    const bool ends = MoveEndsProgram(moveCount);
    qCDebug(lcLifecycle) << handlerAndCounter << moveCount;
    if (ends)
        endProgram();
}
