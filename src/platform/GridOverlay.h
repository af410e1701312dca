#pragma once
// The grid over the map view: lines between cells drawn over the view's picture, which stays as
// it is. Like the cell cursor it is only drawn: every press and move goes to the picture beneath.

#include <QWidget>

namespace tilora {

class GridOverlay : public QWidget {
    Q_OBJECT
  public:
    explicit GridOverlay(QWidget* parent = nullptr);

    // The view beneath: its cell size and the map column and row at its left and top edges (the
    // strong lines fall on map columns and rows that are multiples of ten). Repaints on a change.
    void setView(int cellSize, int originCol, int originRow);
    int cellSize() const { return cellSize_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int cellSize_ = 0;
    int originCol_ = 0;
    int originRow_ = 0;
};

} // namespace tilora
