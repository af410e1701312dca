#include "mapview/TMapWindow.h"

#include "shell/Application.h"

namespace tilora {

void TMapWindow::Shape1MouseDown(Qt::MouseButton) {}
void TMapWindow::DragPaint() {}

}  // namespace tilora
