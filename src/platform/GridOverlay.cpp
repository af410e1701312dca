#include "platform/GridOverlay.h"

#include "core/GridLines.h"

#include <QPaintEvent>
#include <QPainter>

namespace tilora {

namespace {

// Dark lines, half see-through so the chips show beneath; every tenth line nearly opaque.
const QColor ThinLine(0, 0, 0, 72);
const QColor StrongLine(0, 0, 0, 176);

} // namespace

GridOverlay::GridOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void GridOverlay::setView(int cellSize, int originCol, int originRow) {
    if (cellSize == cellSize_ && originCol == originCol_ && originRow == originRow_) return;
    cellSize_ = cellSize;
    originCol_ = originCol;
    originRow_ = originRow;
    update();
}

void GridOverlay::paintEvent(QPaintEvent* event) {
    if (cellSize_ < MinGridCellSize) return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const int cellsAcross = (width() + cellSize_ - 1) / cellSize_;
    const int cellsDown = (height() + cellSize_ - 1) / cellSize_;
    for (const GridLine& l : gridLines(originCol_, cellsAcross, cellSize_)) {
        painter.setPen(l.strong ? StrongLine : ThinLine);
        painter.drawLine(l.pixel, 0, l.pixel, height() - 1);
    }
    for (const GridLine& l : gridLines(originRow_, cellsDown, cellSize_)) {
        painter.setPen(l.strong ? StrongLine : ThinLine);
        painter.drawLine(0, l.pixel, width() - 1, l.pixel);
    }
}

} // namespace tilora
