#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace tilora {

ScreenMetrics ScreenMetrics::fromPrimaryScreen() {
    ScreenMetrics m;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        m.width = g.width();
        m.height = g.height();
        m.bitsPerPixel = screen->depth();
    }
    return m;
}

} // namespace tilora
