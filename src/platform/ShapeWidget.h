#pragma once
// A shape widget: a red outline (rectangle, rounded square or circle), clear inside. It takes
// button presses over its whole area and swallows pointer movement, so the picture below it
// only sees the pointer once it leaves the shape.

#include <QWidget>

namespace tilora {

class ShapeWidget : public QWidget {
    Q_OBJECT
  public:
    enum class Shape { Rectangle, RoundSquare, Circle };

    explicit ShapeWidget(Shape shape, int penWidth, QWidget* parent = nullptr);

    Shape shape() const { return shape_; }
    void setShape(Shape shape);
    int penWidth() const { return penWidth_; }

  signals:
    void pressed(Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Shape shape_;
    int penWidth_;
};

} // namespace tilora
