#pragma once

#include "platform/desktop/Window.h"
#include "settings_window/frmSSSettingsDesign.h"

// The settings window: steps the program-wide IntervalMs along its cycle, saves it in
// seconds, shows the information message and ends the program through its end action. It
// never reads the stored interval, so it always opens at one second (start-up sets IntervalMs
// to 1000 first).
// Closing it through the frame saves nothing; as the only window, that ends the program.
// The controls and their looks are set up as frmSSSettingsDesign designs them.
class frmSSSettings : public Window, private frmSSSettingsDesign
{
    Q_OBJECT

public:
    explicit frmSSSettings(EndAction endProgram, QWidget *parent = nullptr);

private:
    void SpinInterval_Down();
    void SpinInterval_Up();
    void SSCommand4_Click();
    void SSCommand5_Click();
    void SSCommand6_Click();

    void centreOnScreen();
};
