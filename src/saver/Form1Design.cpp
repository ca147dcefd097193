#include "saver/Form1Design.h"

#include "platform/controls/DesignFont.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/Timer.h"
#include "platform/desktop/Window.h"
#include "platform/runtime/RuntimeError.h"

#include <QImage>

namespace {

constexpr int kDesignIntervalMs = 1000;

const QString kInitialPhoto = QStringLiteral(":/pictures/photo.jpg");
const QString kBanner = QStringLiteral(":/pictures/banner.bmp");
// Shown in the caption bar from start-up until the first tick.
const QString kCreditLine = QStringLiteral("Dravik 2001 demo");

QImage designPicture(const QString &resource)
{
    QImage picture(resource);
    if (picture.isNull())
        throw RuntimeError(RuntimeError::FileNotFound, QStringLiteral("Form1 design"), resource);
    return picture;
}

TwipsBox boxOf(const QWidget &element)
{
    return {Element::Left(element), Element::Top(element), Element::Width(element), Element::Height(element)};
}

void placeAt(QWidget &element, const TwipsBox &box)
{
    Element::setLeft(element, box.left);
    Element::setTop(element, box.top);
}

} // namespace

void Form1Design::setupUi(Window &Form1)
{
    Form1.setObjectName(QStringLiteral("Form1"));
    Form1.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    Form1.setWindowTitle(QString());
    QPalette colors = Form1.palette();
    colors.setColor(QPalette::Window, Qt::black);
    Form1.setPalette(colors);
    Form1.setAutoFillBackground(true);
    Form1.setFocusPolicy(Qt::StrongFocus);
    Form1.setMouseTracking(true);

    Timer1 = new Timer(kDesignIntervalMs, &Form1);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    setupFrame(Form1);
    setupCaptionBar(Form1);
    setupBanner(Form1);
}

void Form1Design::setupFrame(Window &Form1)
{
    SSPanel1 = new Panel3D(&Form1);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    Panel3D::Look frame;
    frame.background = Qt::black;
    frame.outer = Panel3D::Bevel::Inset;
    frame.inner = Panel3D::Bevel::None;
    frame.bevelWidth = 8;
    frame.borderWidth = 6;
    SSPanel1->setLook(frame);
    Element::setGeometry(*SSPanel1, -120, kFrameDesignTop, 11895, 7335);

    Image1 = new ImageElement(SSPanel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setStretch(true);
    Image1->setBorder(ImageElement::Border::None);
    Image1->setPicture(designPicture(kInitialPhoto));
    Element::setGeometry(*Image1, 120, 120, 11655, 7095);
}

void Form1Design::setupCaptionBar(Window &Form1)
{
    panYear = new Panel3D(&Form1);
    panYear->setObjectName(QStringLiteral("panYear"));
    Panel3D::Look captionBar;
    captionBar.background = Qt::black;
    captionBar.foreground = QColor(255, 0, 0);
    captionBar.outer = Panel3D::Bevel::None;
    captionBar.inner = Panel3D::Bevel::None;
    captionBar.bevelWidth = 0;
    captionBar.borderWidth = 0;
    panYear->setLook(captionBar);
    panYear->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    panYear->setCaption(kCreditLine);
    Element::setGeometry(*panYear, 1800, 8160, 3795, 360);
    panYear->setVisible(false);
}

void Form1Design::setupBanner(Window &Form1)
{
    // The banner keeps its picture's own size; only its position is in twips.
    Image2 = new ImageElement(&Form1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setStretch(false);
    Image2->setBorder(ImageElement::Border::FixedSingle);
    Image2->setPicture(designPicture(kBanner));
    const float twipsPerPixel = Screen::of(Form1).twipsPerPixel();
    Element::setGeometry(*Image2, 1560, 7690, static_cast<float>(Image2->width()) * twipsPerPixel,
                         static_cast<float>(Image2->height()) * twipsPerPixel);
}

SaverStack Form1Design::placedStack() const
{
    return {boxOf(*SSPanel1), boxOf(*panYear), boxOf(*Image2)};
}

void Form1Design::placeStack(const SaverStack &stack)
{
    placeAt(*SSPanel1, stack.SSPanel1);
    placeAt(*panYear, stack.panYear);
    placeAt(*Image2, stack.Image2);
}
