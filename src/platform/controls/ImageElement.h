#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// The image element: shows a picture either stretched over its whole box or at the
// picture's own size, optionally inside a fixed single 3-D border 2 pixels wide. What the
// picture leaves transparent shows the element's container. It reports
// mouse presses, moves and clicks on itself and never passes them on to its container.
class ImageElement : public QWidget
{
    Q_OBJECT

public:
    enum class Border { None, FixedSingle };

    static constexpr int kFixedSingleBorderWidth = 2;

    explicit ImageElement(QWidget *parent = nullptr);

    const QImage &Picture() const { return m_picture; }
    void setPicture(const QImage &picture);

    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);

    void setBorder(Border border);

    // The element's size in the device pixels of the screen it is shown on.
    QSize deviceSize() const;

signals:
    void MouseDown();
    void MouseMove();
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int borderWidth() const;
    // After the picture, the stretch or the border changed: size and scaled copy follow.
    void lookChanged();
    void fitToPicture();
    const QPixmap &scaledForDevice(const QSize &logicalSize);

    QImage m_picture;
    bool m_stretch = false;
    Border m_border = Border::None;
    bool m_pressed = false;
    QPixmap m_scaled; // the picture at the device pixels it was last painted at
};
