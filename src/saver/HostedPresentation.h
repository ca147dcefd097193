#pragma once

#include "platform/desktop/HostWindow.h"
#include "saver/Presentation.h"
#include "saver/SaverLayout.h"

#include <QSize>

#include <functional>
#include <memory>

class FailureNotice;
class QWidget;
class ScaledPreview;

// How the saver window shows in a host of a given size.
struct HostedLayout
{
    bool preview = false; // shown scaled down, the window itself hidden
    QSize window;         // the size the window is laid out for, in pixels
};

// The host's size alone decides: a host that holds the stack at twipsPerPixel is drawn into at
// its own size; one too small for it (a preview) shows the stack as it would look on an
// 800 × 600 screen, scaled down.
HostedLayout hostedLayoutFor(const QSize &host, const SaverStack &stack, float twipsPerPixel);

// The saver window drawn into a window of another program (a screen-saver daemon's) instead of
// over the screen: embedded in it when it holds the stack, else shown through a ScaledPreview
// inside it, and switched between the two as the host changes size, with no window of its own
// besides. Input is the host program's business, and a failure is told inside the picture (a
// FailureNotice) until a photo shows again. Owns the host.
class HostedPresentation : public Presentation
{
    Q_OBJECT

public:
    explicit HostedPresentation(std::unique_ptr<HostWindow> host);
    ~HostedPresentation() override;

    void attach(QWidget &window, std::function<SaverStack()> stack) override;

    // The size the window is laid out for, as the host's size last heard decides.
    QSize windowSize() const;
    // The screen the window is laid out for: the host, each read taking its size as last heard,
    // at the primary screen's twips per pixel.
    ScreenTwips screenTwips() const override;
    // Embeds the window or makes its preview, as the host's size decides, and sizes the window.
    void place() override;
    // Shows or hides what is shown in the host: the window, or its preview.
    void setVisible(bool visible) override;
    void shown() override {}
    void closed() override {}

    void handleInput(const std::function<void()> &) const override {}

    void showFailure(const QString &title, const QString &text) override;
    void failureOver() override;
    bool awaitsAnswer() const override { return false; }
    // The window changed: a preview paints it afresh.
    void tickEnded() override;

private:
    HostedLayout layout() const;
    bool isVisible() const;
    void followHost();

    std::unique_ptr<HostWindow> m_host;
    QWidget *m_window = nullptr;
    std::function<SaverStack()> m_stack;
    ScaledPreview *m_preview = nullptr;
    FailureNotice *m_failureNotice = nullptr;
    bool m_embedded = false;
};
