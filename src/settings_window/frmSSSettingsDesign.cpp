#include "settings_window/frmSSSettingsDesign.h"

#include "platform/controls/CommandButton3D.h"
#include "platform/controls/DesignFont.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/controls/SpinButton.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/Window.h"

#include <QLabel>

namespace {

constexpr float kClientWidthTwips = 6225;
constexpr float kClientHeightTwips = 4440;

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kLightGrey(192, 192, 192);
const QColor kBlack(0, 0, 0);

template <typename Control>
Control *named(Control *control, const char *name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel *makeLabel(const char *name, const QString &text, const QColor &color, qreal points, QWidget *parent)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(DesignFont(QStringLiteral("MS Sans Serif"), points, true));
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, color);
    colors.setColor(QPalette::Window, kWhite);
    label->setPalette(colors);
    label->setAutoFillBackground(true);
    return label;
}

CommandButton3D *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = named(new CommandButton3D(caption, parent), name);
    button->setFont(DesignFont(QStringLiteral("System"), 9.75, true));
    return button;
}

} // namespace

// Controls are created in design order, so where neighbours overlap by a pixel the later
// one lies on top.
void frmSSSettingsDesign::setupUi(Window &frmSSSettings)
{
    pnlSSaver = named(new Panel3D(&frmSSSettings), "pnlSSaver");
    Label7 = makeLabel("Label7", QStringLiteral("The Dravik Quintavel"), kRed, 12, pnlSSaver);
    Label8 = makeLabel("Label8", QStringLiteral("Screen Saver Settings"), kRed, 12, pnlSSaver);
    Image2 = named(new ImageElement(pnlSSaver), "Image2");
    Label9 = makeLabel("Label9", QStringLiteral("Select the photo delay:"), kNavy, 9.75, pnlSSaver);
    SpinInterval = named(new SpinButton(pnlSSaver), "SpinInterval");
    panInterval = named(new Panel3D(pnlSSaver), "panInterval");
    SSCommand4 = makeButton("SSCommand4", QStringLiteral("Set"), pnlSSaver);
    SSCommand6 = makeButton("SSCommand6", QStringLiteral("Exit"), pnlSSaver);
    SSCommand5 = makeButton("SSCommand5", QStringLiteral("Help"), pnlSSaver);

    frmSSSettings.setObjectName(QStringLiteral("frmSSSettings"));
    frmSSSettings.setWindowTitle(QStringLiteral("Screen Saver Settings"));
    frmSSSettings.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                 | Qt::WindowCloseButtonHint);
    frmSSSettings.setFixedSize(
        PixelRectFromTwips(QRectF(0, 0, kClientWidthTwips, kClientHeightTwips), Screen().twipsPerPixel()).size());

    // Wider and taller than the client area, so its raised right and bottom edges are cut off.
    Element::setGeometry(*pnlSSaver, 0, 0, 6255, 4455);
    pnlSSaver->setLook({kWhite, kBlack, Panel3D::Bevel::Raised, Panel3D::Bevel::None, 6, 4});

    Element::setGeometry(*Label7, 1800, 240, 3495, 375);
    Element::setGeometry(*Label8, 1800, 600, 2895, 375);

    Element::setGeometry(*Image2, 480, 1200, 5265, 1575);
    Image2->setStretch(true);
    Image2->setPicture(QImage(QStringLiteral(":/pictures/settings.bmp")));

    Element::setGeometry(*Label9, 600, 3240, 2415, 375);

    Element::setGeometry(*SpinInterval, 3120, 3240, 975, 255);
    SpinInterval->setBackground(kLightGrey);
    SpinInterval->setToolTip(QStringLiteral("Set Slide Show Delay"));

    Element::setGeometry(*panInterval, 4080, 3240, 1410, 255);
    panInterval->setLook({kWhite, kNavy, Panel3D::Bevel::Inset, Panel3D::Bevel::None, 3, 4});
    panInterval->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    panInterval->setCaption(QStringLiteral("1 Second"));

    Element::setGeometry(*SSCommand4, 360, 3720, 1815, 375);
    SSCommand4->setCaptionColor(kBlack);
    Element::setGeometry(*SSCommand6, 2160, 3720, 1815, 375);
    SSCommand6->setCaptionColor(kBlack);
    // "Help" keeps the desktop's own button-text colour.
    Element::setGeometry(*SSCommand5, 3960, 3720, 1815, 375);

    orderTabStops();
}

void frmSSSettingsDesign::orderTabStops()
{
    // Panels, labels and the picture take no focus, so the chain is the three buttons in
    // the order Set, Help, Exit, then the spin button.
    QWidget::setTabOrder(SSCommand4, SSCommand5);
    QWidget::setTabOrder(SSCommand5, SSCommand6);
    QWidget::setTabOrder(SSCommand6, SpinInterval);
    SSCommand4->setFocus();
}
