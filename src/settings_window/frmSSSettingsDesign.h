#pragma once

class CommandButton3D;
class ImageElement;
class Panel3D;
class QLabel;
class SpinButton;
class Window;

// The settings window as designed: its controls with their names, looks, design positions,
// captions and tab order, and the window's title, frame and fixed client size, set up the way
// a form designer's generated code sets up a form. frmSSSettings gives them their behaviour.
class frmSSSettingsDesign
{
public:
    // Creates the controls as children of the window and gives the window its own look.
    void setupUi(Window &frmSSSettings);

    Panel3D *pnlSSaver = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    ImageElement *Image2 = nullptr;
    QLabel *Label9 = nullptr;
    SpinButton *SpinInterval = nullptr;
    Panel3D *panInterval = nullptr;
    CommandButton3D *SSCommand4 = nullptr;
    CommandButton3D *SSCommand6 = nullptr;
    CommandButton3D *SSCommand5 = nullptr;

private:
    void orderTabStops();
};
