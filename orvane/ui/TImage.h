#pragma once
#include <QPixmap>
#include <QWidget>

namespace orvane {

// A picture control: shows a pixmap at its top-left corner and reports mouse
// moves and presses in its own coordinates. With autoSize it takes the size
// of each picture it is given.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent, bool autoSize = true);

    void SetPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

signals:
    void mouseMoved(int x, int y);
    void mousePressed(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool autoSize_;
};

}  // namespace orvane
