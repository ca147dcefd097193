#pragma once

#include <QColor>
#include <QWidget>

// The 3-D panel: a box with an outer and an inner bevel, a border between them and a
// caption drawn centred in the panel's font and colours. It takes no mouse input of its
// own and does not pass it on to the window behind it.
class Panel3D : public QWidget
{
    Q_OBJECT

public:
    enum class Bevel { None, Inset, Raised };

    struct Look
    {
        QColor background = Qt::lightGray;
        QColor foreground = Qt::black;
        Bevel outer = Bevel::Raised;
        Bevel inner = Bevel::None;
        int bevelWidth = 1;  // pixels
        int borderWidth = 0; // pixels between the outer and the inner bevel
    };

    explicit Panel3D(QWidget *parent = nullptr);

    void setLook(const Look &look);
    const Look &look() const { return m_look; }

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Look m_look;
    QString m_caption;
};
