#include "shell/TTitleWindow.h"

#include "shell/ButtonPictures.h"

#include <QLabel>

namespace tilora {

TTitleWindow::TTitleWindow(Application&) : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(318, 127);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 320, 128);
    Image1->setPixmap(splashPicture());
}

}  // namespace tilora
