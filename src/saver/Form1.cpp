#include "saver/Form1.h"

#include "platform/controls/DesignFont.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/Geometry.h"
#include "platform/desktop/MessageBox.h"
#include "platform/desktop/PointerPosition.h"
#include "platform/desktop/ShowCursor.h"
#include "platform/desktop/Timer.h"
#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/FailureNotice.h"
#include "saver/HostedPresentation.h"
#include "saver/SaverLayout.h"
#include "saver/ScreenCovers.h"
#include "settings/Interval.h"
#include "settings/ProgramSettings.h"

#include <QCloseEvent>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QScopeGuard>

#include <utility>

namespace {

constexpr int kDesignIntervalMs = 1000;
constexpr float kFrameDesignTop = 0;
constexpr qint32 kMillisecondsPerSecond = 1000;

const QString kInitialPhoto = QStringLiteral(":/pictures/photo.jpg");
const QString kBanner = QStringLiteral(":/pictures/banner.bmp");
// Shown in the caption bar from start-up until the first tick.
const QString kCreditLine = QStringLiteral("Dravik 2001 demo");

const QString kFailureText = QStringLiteral("Unable to find Dravik photographs!\r\n\r\n"
                                            "Make sure that the Dravik Quintavel is in the CDROM drive.");
const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");

TwipsBox boxOf(const QWidget &element)
{
    return {Element::Left(element), Element::Top(element), Element::Width(element), Element::Height(element)};
}

void placeAt(QWidget &element, const TwipsBox &box)
{
    Element::setLeft(element, box.left);
    Element::setTop(element, box.top);
}

QImage designPicture(const QString &resource)
{
    QImage picture(resource);
    if (picture.isNull())
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("Form1 design"), resource);
    return picture;
}

// A screen of the given size in pixels, at the primary screen's twips per pixel; each read
// takes the size afresh.
ScreenTwips twipsOfPixels(std::function<QSize()> pixels)
{
    return {[pixels] { return static_cast<float>(pixels().width()) * Screen().twipsPerPixel(); },
            [pixels] { return static_cast<float>(pixels().height()) * Screen().twipsPerPixel(); }};
}

} // namespace

Form1::Form1(EndAction endProgram, std::unique_ptr<HostWindow> host, QWidget *parent)
    : Window(std::move(endProgram), parent),
      Timer1(new Timer(kDesignIntervalMs, this)),
      SSPanel1(new Panel3D(this)),
      Image1(new ImageElement(SSPanel1)),
      m_panYear(new Panel3D(this)),
      Image2(new ImageElement(this)),
      m_covers(new ScreenCovers(this)),
      m_screenChanges(new ScreenChanges(this)),
      m_photoTicks(new PhotoTicks([this] { return Image1->deviceSize(); }, this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString());
    QPalette colors = palette();
    colors.setColor(QPalette::Window, Qt::black);
    setPalette(colors);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    // The other screens are part of the window's surface.
    connect(m_covers, &ScreenCovers::KeyDown, this, &Form1::Form_KeyDown);
    connect(m_covers, &ScreenCovers::MouseDown, this, &Form1::Form_MouseDown);
    connect(m_covers, &ScreenCovers::MouseMove, this, &Form1::surfaceMouseMove);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &Timer::Tick, this, &Form1::Timer1_Timer);
    connect(m_photoTicks, &PhotoTicks::photoShown, this, &Form1::showPhoto);
    connect(m_photoTicks, &PhotoTicks::tickEnded, this, &Form1::finishTick);

    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    Panel3D::Look frame;
    frame.background = Qt::black;
    frame.outer = Panel3D::Bevel::Inset;
    frame.inner = Panel3D::Bevel::None;
    frame.bevelWidth = 8;
    frame.borderWidth = 6;
    SSPanel1->setLook(frame);
    Element::setGeometry(*SSPanel1, -120, kFrameDesignTop, 11895, 7335);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setStretch(true);
    Image1->setBorder(ImageElement::Border::None);
    Image1->setPicture(designPicture(kInitialPhoto));
    Element::setGeometry(*Image1, 120, 120, 11655, 7095);
    Image1->installEventFilter(this);
    connect(Image1, &ImageElement::MouseDown, this, &Form1::Image1_MouseDown);
    connect(Image1, &ImageElement::MouseMove, this, &Form1::Image1_MouseMove);
    connect(Image1, &ImageElement::Click, this, &Form1::Image1_Click);

    m_panYear->setObjectName(QStringLiteral("panYear"));
    Panel3D::Look captionBar;
    captionBar.background = Qt::black;
    captionBar.foreground = QColor(255, 0, 0);
    captionBar.outer = Panel3D::Bevel::None;
    captionBar.inner = Panel3D::Bevel::None;
    captionBar.bevelWidth = 0;
    captionBar.borderWidth = 0;
    m_panYear->setLook(captionBar);
    m_panYear->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    m_panYear->setCaption(kCreditLine);
    Element::setGeometry(*m_panYear, 1800, 8160, 3795, 360);
    m_panYear->setVisible(false);

    // The banner keeps its picture's own size; only its position is in twips.
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setStretch(false);
    Image2->setBorder(ImageElement::Border::FixedSingle);
    Image2->setPicture(designPicture(kBanner));
    const float twipsPerPixel = Screen::of(*this).twipsPerPixel();
    Element::setGeometry(*Image2, 1560, 7690, static_cast<float>(Image2->width()) * twipsPerPixel,
                         static_cast<float>(Image2->height()) * twipsPerPixel);

    if (host) {
        m_hosted = std::make_unique<HostedPresentation>(std::move(host), *this, [this] { return stack(); });
        m_failureNotice = new FailureNotice(this);
        connect(m_hosted.get(), &HostedPresentation::resized, this, &Form1::followHost);
        connect(m_hosted.get(), &HostedPresentation::gone, this, &Form1::hostGone);
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
    const ScreenTwips screen = screenTwips();
    SaverStack stack{boxOf(*SSPanel1), boxOf(*m_panYear), boxOf(*Image2)};
    OffsetFrameForScreen(stack, screen);
    Element::setTop(*SSPanel1, stack.SSPanel1.top);

    Element::setLeft(*this, 0);
    Element::setTop(*this, 0);
    maximise();

    stack = {boxOf(*SSPanel1), boxOf(*m_panYear), boxOf(*Image2)};
    CentreAndStack(stack, screen);
    placeAt(*SSPanel1, stack.SSPanel1);
    placeAt(*m_panYear, stack.panYear);
    placeAt(*Image2, stack.Image2);
}

void Form1::followPrimaryScreen()
{
    // The screen the stack was laid out for is no longer the primary, or gone: the saver moves
    // to the new primary and is laid out for it once, as the load would have, so it stays whole.
    qCDebug(lcLifecycle) << "Form1 follows the primary screen";
    Element::setTop(*SSPanel1, kFrameDesignTop);
    layOut();
}

void Form1::maximise()
{
    if (m_hosted) {
        m_hosted->place();
        return;
    }
    // Over the whole primary screen, panels and task bars included, as a saver must be.
    Screen().coverWith(*this);
}

ScreenTwips Form1::screenTwips() const
{
    if (!m_hosted)
        return PrimaryScreenTwips();
    // The host is the screen; each read takes its size as last heard.
    return twipsOfPixels([this] { return m_hosted->windowSize(); });
}

SaverStack Form1::stack() const
{
    return {boxOf(*SSPanel1), boxOf(*m_panYear), boxOf(*Image2)};
}

void Form1::followHost()
{
    qCDebug(lcLifecycle) << "Form1 follows its host's size" << m_hosted->host().size();
    Element::setTop(*SSPanel1, kFrameDesignTop);
    layOut();
}

void Form1::hostGone()
{
    qCDebug(lcLifecycle) << "the window Form1 draws into is gone";
    endProgram();
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
        // Where the window system does not tell, the first position the windows see is where
        // the pointer rests.
        if (const std::optional<QPointF> resting = KnownPointerPosition())
            m_pointer.setRestingPosition(*resting);
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
    // A Wayland compositor tells the pointer's arrival from another output by the enter alone,
    // with no move after it. Over the photo the enter is Image1's.
    if (event->type() == QEvent::Enter) {
        const auto *enter = static_cast<QEnterEvent *>(event);
        if (childAt(enter->position().toPoint()) != Image1)
            surfaceMouseMove(enter->globalPosition());
    }
    return Window::event(event);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseMove) {
        const auto *move = static_cast<QMouseEvent *>(event);
        // A move without movement never reaches Image1's handler.
        return !pointerMoved(move->globalPosition());
    }
    if (watched == Image1 && event->type() == QEvent::Enter) {
        // An arrival is a move when the pointer left the last position seen to get there.
        if (pointerMoved(static_cast<QEnterEvent *>(event)->globalPosition()))
            Image1_MouseMove();
    }
    return Window::eventFilter(watched, event);
}

void Form1::mousePressEvent(QMouseEvent *)
{
    Form_MouseDown();
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    surfaceMouseMove(event->globalPosition());
}

void Form1::surfaceMouseMove(const QPointF &globalPosition)
{
    if (pointerMoved(globalPosition))
        Form_MouseMove();
}

bool Form1::pointerMoved(const QPointF &globalPosition)
{
    const bool restingKnown = m_pointer.knowsPosition();
    const bool moved = m_pointer.isMove(globalPosition);
    if (!restingKnown)
        qCDebug(lcLifecycle) << "the pointer rests at" << globalPosition;
    return moved;
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
    m_panYear->setCaption(caption);
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
