#pragma once

#include "platform/desktop/Window.h"
#include "saver/Form1Design.h"
#include "saver/PhotoTicks.h"
#include "saver/SaverLayout.h"

#include <memory>

class Presentation;
class SurfaceMoves;

// The saver window: a black, frameless window showing the photo frame SSPanel1 with the
// photograph Image1, the caption bar panYear under it and the banner Image2 under that.
// Timer1 drives the photo cycle; keyboard and mouse input, where it is the saver's, ends the
// program through the window's end action. The elements and their looks are set up as
// Form1Design designs them.
class Form1 : public Window, private Form1Design
{
    Q_OBJECT

public:
    // Where the window draws (over the screen, into another program's window) and what that
    // asks of it are the presentation's.
    Form1(EndAction endProgram, std::unique_ptr<Presentation> presentation, QWidget *parent = nullptr);
    ~Form1() override;

    void setVisible(bool visible) override;

    Panel3D &panYear() { return *Form1Design::panYear; }

    qint16 TickCount() const { return m_photoTicks->TickCount(); }
    qint16 FormMoveCount() const { return m_formMoveCount; }
    qint16 Image1MoveCount() const { return m_image1MoveCount; }
    // A tick came, and its photo is not ready yet: the directory's listing it starts the
    // enumeration over on, or the photo's decode, still runs.
    bool TickWaitsForPhoto() const { return m_photoTicks->waitsForPhoto(); }

protected:
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Form_Unload() override;

    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Timer1_Timer();
    void Form_KeyDown();
    void Form_MouseDown();
    void Form_MouseMove();
    void Image1_Click();
    void Image1_MouseDown();
    void Image1_MouseMove();

    void layOut();
    void showPhoto(const QImage &picture, const QString &caption);
    void finishTick(PhotoTicks::Outcome outcome);
    // A handler's input ends the program, when the input is the saver's.
    void dismissBy(const char *handler);
    // The move rule on the element's counter; the log names the handler and the counter.
    void dismissOnFourthMove(const char *handlerAndCounter, qint16 &moveCount);

    std::unique_ptr<Presentation> m_presentation;
    SurfaceMoves *m_moves = nullptr;
    PhotoTicks *m_photoTicks = nullptr;

    qint16 m_formMoveCount = 0;
    qint16 m_image1MoveCount = 0;
};
