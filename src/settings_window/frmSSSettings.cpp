#include "settings_window/frmSSSettings.h"

#include "platform/controls/CommandButton3D.h"
#include "platform/controls/Panel3D.h"
#include "platform/controls/SpinButton.h"
#include "platform/desktop/MessageBox.h"
#include "platform/desktop/Screen.h"
#include "settings/IntervalCycle.h"
#include "settings/ProgramSettings.h"
#include "settings_window/SettingsHelp.h"

#include <QStyle>

frmSSSettings::frmSSSettings(EndAction endProgram, QWidget *parent) : Window(std::move(endProgram), parent)
{
    setupUi(*this);
    centreOnScreen();

    connect(SpinInterval, &SpinButton::SpinDown, this, &frmSSSettings::SpinInterval_Down);
    connect(SpinInterval, &SpinButton::SpinUp, this, &frmSSSettings::SpinInterval_Up);
    connect(SSCommand4, &CommandButton3D::clicked, this, &frmSSSettings::SSCommand4_Click);
    connect(SSCommand5, &CommandButton3D::clicked, this, &frmSSSettings::SSCommand5_Click);
    connect(SSCommand6, &CommandButton3D::clicked, this, &frmSSSettings::SSCommand6_Click);
}

void frmSSSettings::centreOnScreen()
{
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), Screen().geometry()));
}

void frmSSSettings::SpinInterval_Down()
{
    IntervalMs = IntervalStepDown(IntervalMs);
    panInterval->setCaption(IntervalCaption(IntervalMs));
}

void frmSSSettings::SpinInterval_Up()
{
    IntervalMs = IntervalStepUp(IntervalMs);
    panInterval->setCaption(IntervalCaption(IntervalMs));
}

void frmSSSettings::SSCommand4_Click()
{
    ProgramSettings::SaveInterval(IntervalSecondsText(IntervalMs));
}

void frmSSSettings::SSCommand5_Click()
{
    MsgBox(SettingsHelpPrompt(), SettingsHelpTitle(), this);
}

void frmSSSettings::SSCommand6_Click()
{
    endProgram();
}
