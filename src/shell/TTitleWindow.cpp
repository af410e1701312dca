#include "shell/TTitleWindow.h"

#include "shell/ButtonPictures.h"

#include <QCloseEvent>
#include <QLabel>

namespace tilora {

namespace {
// No border, so the client area is the whole window.
constexpr int ClientWidth = 318;
constexpr int ClientHeight = 127;
} // namespace

TTitleWindow::TTitleWindow(Application&)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    // The picture is larger than the window by one pixel each way; the label keeps its size and
    // the window clips it.
    Image1 = new QLabel(this);
    const QPixmap picture = splashPicture();
    Image1->setGeometry(0, 0, picture.width(), picture.height());
    Image1->setPixmap(picture);
}

void TTitleWindow::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
    } else {
        event->accept();
    }
}

} // namespace tilora
