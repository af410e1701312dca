#pragma once
// A picture widget: shows a core Bitmap through a QImage that wraps the bitmap's own buffer,
// so a redraw into the bitmap needs only refresh() to reach the screen.

#include "core/Bitmap.h"

#include <QImage>
#include <QWidget>

namespace tilora {

class PictureWidget : public QWidget {
    Q_OBJECT
  public:
    explicit PictureWidget(QWidget* parent = nullptr);

    Bitmap& bitmap() { return bitmap_; }
    const Bitmap& bitmap() const { return bitmap_; }

    // Replaces the picture; with autoSize the widget takes the picture's size.
    void setBitmap(Bitmap bitmap);
    void setAutoSize(bool on) { autoSize_ = on; }
    // Repaints the widget from the bitmap (after drawing into bitmap()).
    void refresh();

  signals:
    // Pointer moves with no button held, in the picture's own pixels.
    void mouseMoved(int x, int y);
    // Every press (a double click too) at the pixel under the pointer.
    void mousePressed(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);
    // The moves while a button is held after a press here (the picture keeps the pointer until
    // the release, wherever it goes meanwhile), and each button's release.
    void mouseDragged(int x, int y, Qt::KeyboardModifiers modifiers);
    void mouseReleased(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void wrap();
    void rewrapIfMoved();

    Bitmap bitmap_;
    QImage image_;
    bool autoSize_ = false;
};

} // namespace tilora
