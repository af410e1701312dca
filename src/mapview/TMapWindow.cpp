#include "mapview/TMapWindow.h"

#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/Application.h"

#include <QCloseEvent>
#include <QScrollBar>

namespace tilora {

TMapWindow::TMapWindow(Application& app) : QWidget(nullptr), app_(app) {
    Image1 = new PictureWidget(this);
    Image1->setBitmap(Bitmap(ViewPixels, ViewPixels));
    Shape1 = new ShapeWidget(ShapeWidget::Shape::RoundSquare, 2, this);
    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
}

void TMapWindow::ScrollBar1Scroll(int) {}
void TMapWindow::ScrollBar2Scroll(int) {}
void TMapWindow::Image1MouseMove(int, int) {}
void TMapWindow::FormClose() {}
void TMapWindow::redrawView() {
    app_.Renderer.redrawView(Image1->bitmap(), app_.State);
    Image1->refresh();
}
void TMapWindow::setBarPosition(QScrollBar* bar, int position) { bar->setValue(position); }
void TMapWindow::closeEvent(QCloseEvent* event) { QWidget::closeEvent(event); }

}  // namespace tilora
