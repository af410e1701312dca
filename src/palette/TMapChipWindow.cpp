#include "palette/TMapChipWindow.h"

#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/Application.h"

#include <QCloseEvent>
#include <QScrollBar>

namespace tilora {

TMapChipWindow::TMapChipWindow(Application& app) : QWidget(nullptr), app_(app) {
    Image2 = new PictureWidget(this);
    Image1 = new PictureWidget(this);
    Image1->setAutoSize(true);
    Shape1 = new ShapeWidget(ShapeWidget::Shape::Rectangle, 3, this);
    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
}

const Bitmap& TMapChipWindow::sheet() const { return Image1->bitmap(); }

void TMapChipWindow::setSheet(Bitmap sheet) {
    Image1->setBitmap(std::move(sheet));
    app_.Renderer.setSheet(&Image1->bitmap());
}

void TMapChipWindow::Image1MouseMove(int, int) {}
int TMapChipWindow::ScrollBar1Scroll(int position) { return position; }
int TMapChipWindow::ScrollBar2Scroll(int position) { return position; }
void TMapChipWindow::ScrollBar1Change() {}
void TMapChipWindow::ScrollBar2Change() {}
void TMapChipWindow::FormMouseMove() {}
void TMapChipWindow::Image2MouseMove() {}
void TMapChipWindow::Shape1MouseDown(Qt::MouseButton) {}
void TMapChipWindow::FormClose() {}
void TMapChipWindow::setBarPosition(QScrollBar* bar, int position) { bar->setValue(position); }
void TMapChipWindow::closeEvent(QCloseEvent* event) { QWidget::closeEvent(event); }
void TMapChipWindow::mouseMoveEvent(QMouseEvent* event) { QWidget::mouseMoveEvent(event); }

}  // namespace tilora
