#include "DesignStack.h"
#include "platform/desktop/HostWindow.h"
#include "saver/HostedPresentation.h"
#include "saver/ScaledPreview.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

// A host of our own: a window of this process standing in for another program's, whose size
// the test changes.
class OwnHost : public HostWindow
{
public:
    explicit OwnHost(const QSize &size) : m_size(size)
    {
        m_window.resize(size);
        m_window.show();
    }

    quintptr id() const override { return m_window.winId(); }
    QSize size() const override { return m_size; }
    void embed(QWidget &content) const override
    {
        content.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        content.winId();
        content.windowHandle()->setParent(const_cast<QWindow *>(&m_window));
        content.move(0, 0);
    }

    void resizeTo(const QSize &size)
    {
        m_size = size;
        m_window.resize(size);
        emit resized(size);
    }
    const QWindow &window() const { return m_window; }

private:
    QWindow m_window;
    QSize m_size;
};

ScaledPreview *previewOnScreen()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *preview = qobject_cast<ScaledPreview *>(widget))
            return preview;
    }
    return nullptr;
}

} // namespace

class TestHostedPresentation : public QObject
{
    Q_OBJECT

private slots:
    void hostSizeDecidesBetweenWindowAndPreview_data();
    void hostSizeDecidesBetweenWindowAndPreview();
    void aHostThatChangesSizeSwitchesAndKeepsWhatIsShown();
};

void TestHostedPresentation::hostSizeDecidesBetweenWindowAndPreview_data()
{
    QTest::addColumn<QSize>("host");
    QTest::addColumn<float>("twipsPerPixel");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QSize>("window");

    // At 15 twips per pixel the stack takes 793 × 589 pixels.
    QTest::newRow("a monitor of 800x600") << QSize(800, 600) << 15.0f << false << QSize(800, 600);
    QTest::newRow("a monitor of 1024x768") << QSize(1024, 768) << 15.0f << false << QSize(1024, 768);
    QTest::newRow("just the stack's size") << QSize(793, 589) << 15.0f << false << QSize(793, 589);
    QTest::newRow("a pixel too narrow") << QSize(792, 600) << 15.0f << true << QSize(800, 600);
    QTest::newRow("a pixel too low") << QSize(800, 588) << 15.0f << true << QSize(800, 600);
    QTest::newRow("a settings dialog's preview") << QSize(200, 150) << 15.0f << true << QSize(800, 600);
    QTest::newRow("no size yet") << QSize(0, 0) << 15.0f << true << QSize(800, 600);
    // At 12 twips per pixel (120 dpi) the same stack takes 992 × 718 pixels.
    QTest::newRow("800x600 at 120 dpi") << QSize(800, 600) << 12.0f << true << QSize(800, 600);
    QTest::newRow("1024x768 at 120 dpi") << QSize(1024, 768) << 12.0f << false << QSize(1024, 768);
}

void TestHostedPresentation::hostSizeDecidesBetweenWindowAndPreview()
{
    QFETCH(QSize, host);
    QFETCH(float, twipsPerPixel);
    QFETCH(bool, preview);
    QFETCH(QSize, window);

    const HostedLayout layout = hostedLayoutFor(host, DesignStack(twipsPerPixel), twipsPerPixel);
    QCOMPARE(layout.preview, preview);
    QCOMPARE(layout.window, window);
}

void TestHostedPresentation::aHostThatChangesSizeSwitchesAndKeepsWhatIsShown()
{
    QWidget window;
    auto host = std::make_unique<OwnHost>(QSize(200, 150));
    OwnHost &ownHost = *host;
    HostedPresentation presentation(std::move(host));
    presentation.attach(window, [] { return DesignStack(15.0f); });
    QSignalSpy resized(&presentation, &HostedPresentation::resized);

    presentation.place();
    presentation.setVisible(true);
    ScaledPreview *preview = previewOnScreen();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->size(), QSize(200, 150));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.size(), QSize(800, 600));

    ownHost.resizeTo(QSize(1024, 768));
    QCOMPARE(resized.count(), 1);
    QVERIFY(!previewOnScreen());
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowHandle()->parent(), &ownHost.window());
    QCOMPARE(window.size(), QSize(1024, 768));

    ownHost.resizeTo(QSize(800, 600));
    QCOMPARE(resized.count(), 2);
    QVERIFY(!previewOnScreen());
    QCOMPARE(window.size(), QSize(800, 600));

    ownHost.resizeTo(QSize(320, 240));
    QCOMPARE(resized.count(), 3);
    preview = previewOnScreen();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->size(), QSize(320, 240));
    QVERIFY(!window.isVisible());
    QVERIFY(!window.windowHandle()->parent());
    QCOMPARE(window.size(), QSize(800, 600));

    // Hidden while a preview, the window stays hidden when the host grows.
    presentation.setVisible(false);
    ownHost.resizeTo(QSize(1024, 768));
    QVERIFY(!previewOnScreen());
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestHostedPresentation)
#include "tst_hosted_presentation.moc"
