#include "saver/HostedPresentation.h"

#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"
#include "platform/runtime/App.h"
#include "saver/FailureNotice.h"
#include "saver/ScaledPreview.h"

#include <QWindow>

#include <utility>

namespace {

const QSize kPreviewScreen(800, 600);

} // namespace

HostedLayout hostedLayoutFor(const QSize &host, const SaverStack &stack, float twipsPerPixel)
{
    const ScreenTwips hostTwips{[host, twipsPerPixel] { return static_cast<float>(host.width()) * twipsPerPixel; },
                                [host, twipsPerPixel] { return static_cast<float>(host.height()) * twipsPerPixel; }};
    if (HoldsTheStack(stack, hostTwips))
        return {false, host};
    return {true, kPreviewScreen};
}

HostedPresentation::HostedPresentation(std::unique_ptr<HostWindow> host) : m_host(std::move(host)) {}

HostedPresentation::~HostedPresentation()
{
    delete m_preview;
    // The window's native window belongs to the host's; it is taken back before Qt's handle on
    // the host goes.
    if (m_embedded && m_window->windowHandle())
        m_window->windowHandle()->setParent(nullptr);
}

void HostedPresentation::attach(QWidget &window, std::function<SaverStack()> stack)
{
    m_window = &window;
    m_stack = std::move(stack);
    m_failureNotice = new FailureNotice(&window);
    connect(m_host.get(), &HostWindow::resized, this, &HostedPresentation::followHost);
    connect(m_host.get(), &HostWindow::gone, this, [this] {
        qCDebug(lcLifecycle) << "the window Form1 draws into is gone";
        emit gone();
    });
}

HostedLayout HostedPresentation::layout() const
{
    return hostedLayoutFor(m_host->size(), m_stack(), Screen().twipsPerPixel());
}

QSize HostedPresentation::windowSize() const
{
    return layout().window;
}

ScreenTwips HostedPresentation::screenTwips() const
{
    return {[this] { return static_cast<float>(windowSize().width()) * Screen().twipsPerPixel(); },
            [this] { return static_cast<float>(windowSize().height()) * Screen().twipsPerPixel(); }};
}

void HostedPresentation::place()
{
    // The host's size alone decides between drawing into it and a scaled preview, at start-up
    // and after every change of size, so that a host that shrinks or grows shows what a fresh
    // start into a window of that size would.
    const HostedLayout hosted = layout();
    if (!hosted.preview) {
        delete std::exchange(m_preview, nullptr);
        if (!m_embedded) {
            m_host->embed(*m_window);
            m_embedded = true;
        }
    } else if (!m_preview) {
        if (m_embedded) {
            m_window->QWidget::setVisible(false);
            m_window->windowHandle()->setParent(nullptr);
            m_embedded = false;
        }
        m_preview = new ScaledPreview(*m_host, *m_window);
    }
    // In twips, as the window's other moves are, so that none of them brings an old size back.
    const float twipsPerPixel = Screen::of(*m_window).twipsPerPixel();
    Element::setGeometry(*m_window, 0, 0, static_cast<float>(hosted.window.width()) * twipsPerPixel,
                         static_cast<float>(hosted.window.height()) * twipsPerPixel);
}

void HostedPresentation::setVisible(bool visible)
{
    // A preview shows a scaled picture of the window inside the host, never the window.
    if (m_preview)
        m_preview->setVisible(visible);
    else
        m_window->QWidget::setVisible(visible);
}

bool HostedPresentation::isVisible() const
{
    return m_preview ? m_preview->isVisible() : m_window->isVisible();
}

void HostedPresentation::showFailure(const QString &title, const QString &text)
{
    // Nobody can answer a message box while a daemon holds the keyboard: the message is part
    // of the picture.
    m_failureNotice->showMessage(title, text);
}

void HostedPresentation::failureOver()
{
    m_failureNotice->hide();
}

void HostedPresentation::tickEnded()
{
    if (m_preview)
        m_preview->refresh();
}

void HostedPresentation::followHost()
{
    const bool shown = isVisible();
    const bool wasPreview = m_preview;
    // The layout reads the size of the screen it lays out for, which a change of mode changes.
    place();
    qCDebug(lcLifecycle) << "Form1 follows its host's size" << m_host->size();
    // Laid out anew before a switch between preview and window shows the other.
    emit resized();
    if (bool(m_preview) != wasPreview)
        setVisible(shown);
}
