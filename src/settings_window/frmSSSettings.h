#pragma once

#include "platform/desktop/Window.h"

class CommandButton3D;
class ImageElement;
class Panel3D;
class QLabel;
class SpinButton;

// The settings window: steps the program-wide IntervalMs along its cycle, saves it in
// seconds, shows the information message and ends the program through its end action. It
// never reads the stored interval, so it always opens at one second (start-up sets IntervalMs
// to 1000 first).
// Closing it through the frame saves nothing; as the only window, that ends the program.
class frmSSSettings : public Window
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

    void orderTabStops();
    void centreOnScreen();

    Panel3D *pnlSSaver;
    QLabel *Label7;
    QLabel *Label8;
    ImageElement *Image2;
    QLabel *Label9;
    SpinButton *SpinInterval;
    Panel3D *panInterval;
    CommandButton3D *SSCommand4;
    CommandButton3D *SSCommand6;
    CommandButton3D *SSCommand5;
};
