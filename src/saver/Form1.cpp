#include "saver/Form1.h"

#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Timer.h"
#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/DismissalRules.h"
#include "saver/Presentation.h"
#include "saver/SurfaceMoves.h"
#include "settings/NumberText.h"
#include "settings/ProgramSettings.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include <utility>

namespace {

constexpr qint32 kMillisecondsPerSecond = 1000;

const QString kFailureText = QStringLiteral("Unable to find Dravik photographs!\r\n\r\n"
                                            "Make sure that the Dravik Quintavel is in the CDROM drive.");
const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");

} // namespace

Form1::Form1(EndAction endProgram, std::unique_ptr<Presentation> presentation, QWidget *parent)
    : Window(std::move(endProgram), parent), m_presentation(std::move(presentation))
{
    setupUi(*this);
    m_presentation->attach(*this, [this] { return placedStack(); });
    m_moves = new SurfaceMoves(*this, *Image1);
    m_photoTicks = new PhotoTicks([this] { return Image1->deviceSize(); }, this);

    // Whatever surface the presentation adds to the window is the window's.
    connect(m_presentation.get(), &Presentation::surfaceKeyDown, this, &Form1::Form_KeyDown);
    connect(m_presentation.get(), &Presentation::surfaceMouseDown, this, &Form1::Form_MouseDown);
    connect(m_presentation.get(), &Presentation::surfaceMouseMove, m_moves, &SurfaceMoves::coverMove);
    connect(m_presentation.get(), &Presentation::inputTaken, m_moves, &SurfaceMoves::takeRestingPosition);
    connect(m_presentation.get(), &Presentation::resized, this, &Form1::layOut);
    connect(m_presentation.get(), &Presentation::gone, this, &Form1::endProgram);

    connect(Timer1, &Timer::Tick, this, &Form1::Timer1_Timer);
    connect(m_photoTicks, &PhotoTicks::photoShown, this, &Form1::showPhoto);
    connect(m_photoTicks, &PhotoTicks::tickEnded, this, &Form1::finishTick);

    connect(m_moves, &SurfaceMoves::windowMove, this, &Form1::Form_MouseMove);
    connect(m_moves, &SurfaceMoves::photoArrival, this, &Form1::Image1_MouseMove);
    connect(Image1, &ImageElement::MouseDown, this, &Form1::Image1_MouseDown);
    connect(Image1, &ImageElement::MouseMove, this, &Form1::Image1_MouseMove);
    connect(Image1, &ImageElement::Click, this, &Form1::Image1_Click);
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
    const ScreenTwips screen = m_presentation->screenTwips();
    SaverStack stack = placedStack();
    OffsetFrameForScreen(stack, screen);
    Element::setTop(*SSPanel1, stack.SSPanel1.top);

    Element::setLeft(*this, 0);
    Element::setTop(*this, 0);
    m_presentation->place();

    stack = placedStack();
    CentreAndStack(stack, screen);
    placeStack(stack);
}

void Form1::setVisible(bool visible)
{
    m_presentation->setVisible(visible);
}

void Form1::showEvent(QShowEvent *event)
{
    Window::showEvent(event);
    m_presentation->shown();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Window::closeEvent(event);
    // A closed window shows no more photos, and no more failure messages.
    if (event->isAccepted()) {
        Timer1->setInterval(0);
        m_photoTicks->stop();
        m_presentation->closed();
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
    // A failure message may run its own event loop, in which ticks go on: while it waits for
    // an answer they leave everything as it is, so messages never pile up.
    if (!m_presentation->awaitsAnswer())
        m_photoTicks->tick();
}

void Form1::showPhoto(const QImage &picture, const QString &caption)
{
    Image1->setPicture(picture);
    panYear().setCaption(caption);
    m_presentation->failureOver();
}

void Form1::finishTick(PhotoTicks::Outcome outcome)
{
    if (outcome == PhotoTicks::Outcome::Failed)
        m_presentation->showFailure(kFailureTitle, kFailureText);
    m_presentation->tickEnded();
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
    m_presentation->handleInput([this, handler] {
        qCDebug(lcLifecycle) << handler;
        endProgram();
    });
}

void Form1::dismissOnFourthMove(const char *handlerAndCounter, qint16 &moveCount)
{
    m_presentation->handleInput([this, handlerAndCounter, &moveCount] {
        const bool ends = MoveEndsProgram(moveCount);
        qCDebug(lcLifecycle) << handlerAndCounter << moveCount;
        if (ends)
            endProgram();
    });
}
