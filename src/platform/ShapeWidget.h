#pragma once
// A shape widget: a red outline (rectangle, rounded square or circle), clear inside. It is only
// drawn: every press and move over it goes to the picture beneath, which decides the cell by the
// pixel-to-cell rule, so the frame, the pointer and the cell a click acts on always agree.

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

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
    int penWidth_;
};

} // namespace tilora
