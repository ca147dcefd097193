#pragma once

#include "platform/desktop/HostWindow.h"
#include "saver/SaverLayout.h"

#include <QObject>
#include <QSize>

#include <functional>
#include <memory>

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
// inside it, and switched between the two as the host changes size. Owns the host.
class HostedPresentation : public QObject
{
    Q_OBJECT

public:
    // stack reads the window's stack as it stands, for each decision.
    HostedPresentation(std::unique_ptr<HostWindow> host, QWidget &window, std::function<SaverStack()> stack);
    ~HostedPresentation() override;

    const HostWindow &host() const { return *m_host; }
    // The size the window is laid out for, as the host's size last heard decides.
    QSize windowSize() const;
    // The screen the window is laid out for: the host, each read taking its size as last heard,
    // at the primary screen's twips per pixel.
    ScreenTwips screenTwips() const;
    // Embeds the window or makes its preview, as the host's size decides, and sizes the window.
    void place();
    // Shows or hides what is shown in the host: the window, or its preview.
    void setVisible(bool visible);
    // The window changed: a preview paints it afresh.
    void refresh();

signals:
    // The host changed size and the window is placed for it; it is to be laid out again now,
    // before a switch between preview and window shows the other.
    void resized();
    void gone();

private:
    HostedLayout layout() const;
    bool isVisible() const;
    void followHost();

    std::unique_ptr<HostWindow> m_host;
    QWidget &m_window;
    std::function<SaverStack()> m_stack;
    ScaledPreview *m_preview = nullptr;
    bool m_embedded = false;
};
