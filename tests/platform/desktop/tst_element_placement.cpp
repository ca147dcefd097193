#include "platform/desktop/ElementPlacement.h"

#include <QWidget>
#include <QtTest>

// Twips on the pixel grid, and elements placed in twips.
class TestElementPlacement : public QObject
{
    Q_OBJECT

private slots:
    void pixelGridKeepsEdgesTogether_data();
    void pixelGridKeepsEdgesTogether();
    void elementKeepsFractionalTwips();
    void elementInsidePanelMovesWithIt();
};

void TestElementPlacement::pixelGridKeepsEdgesTogether_data()
{
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<float>("twipsPerPixel");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("whole pixels") << QRectF(1800, 8160, 3795, 360) << 15.0f << QRect(120, 544, 253, 24);
    QTest::newRow("half pixel rounds up") << QRectF(52.5, 0, 11895, 7335) << 15.0f << QRect(4, 0, 793, 489);
    QTest::newRow("negative left") << QRectF(-120, 0, 11895, 7335) << 15.0f << QRect(-8, 0, 793, 489);
    QTest::newRow("12 twips per pixel") << QRectF(120, 120, 11655, 7095) << 12.0f << QRect(10, 10, 971, 591);
    // Buttons that overlap by 15 twips still overlap by one pixel.
    QTest::newRow("left button") << QRectF(360, 3720, 1815, 375) << 15.0f << QRect(24, 248, 121, 25);
    QTest::newRow("next button") << QRectF(2160, 3720, 1815, 375) << 15.0f << QRect(144, 248, 121, 25);
}

void TestElementPlacement::pixelGridKeepsEdgesTogether()
{
    QFETCH(QRectF, twips);
    QFETCH(float, twipsPerPixel);
    QFETCH(QRect, pixels);
    QCOMPARE(PixelRectFromTwips(twips, twipsPerPixel), pixels);
}

void TestElementPlacement::elementKeepsFractionalTwips()
{
    QWidget window;
    QWidget element(&window);
    Element::setGeometry(element, 1800, 8160, 3795, 360);
    Element::setLeft(element, 52.5f);
    QCOMPARE(Element::Left(element), 52.5f);
    QCOMPARE(Element::Top(element), 8160.0f);
    QCOMPARE(Element::Width(element), 3795.0f);
    QCOMPARE(Element::Height(element), 360.0f);
    QCOMPARE(element.geometry(), QRect(4, 544, 253, 24));
    Element::setTop(element, Element::Top(element) + 1400.0f);
    QCOMPARE(Element::Top(element), 9560.0f);
}

void TestElementPlacement::elementInsidePanelMovesWithIt()
{
    QWidget window;
    window.resize(1024, 768);
    QWidget panel(&window);
    QWidget inner(&panel);
    Element::setGeometry(panel, -120, 0, 11895, 7335);
    Element::setGeometry(inner, 120, 120, 11655, 7095);
    Element::setTop(panel, 1400);
    QCOMPARE(Element::Left(inner), 120.0f); // relative to its container
    QCOMPARE(inner.mapTo(&window, QPoint(0, 0)), QPoint(0, 1400 / 15 + 8));
}

QTEST_MAIN(TestElementPlacement)
#include "tst_element_placement.moc"
