#include "newmap/TStartUpWindow.h"

#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QScrollBar>

namespace tilora {

namespace {

// The palette's viewport is at most this many pixels each way; a larger sheet is scrolled.
constexpr int Viewport = ViewPixels;

// Outer sizes the palette takes: the sheet plus the frame, or the fixed viewport plus the frame
// where a bar is shown.
constexpr int OuterViewportWidth = Viewport + 7;   // 327
constexpr int OuterViewportHeight = Viewport + 27; // 347

// The palette's dialog-style border adds TMapChipWindow::FrameWidth x FrameHeight to the client.
int clientWidth(int outerWidth) {
    return outerWidth - TMapChipWindow::FrameWidth;
}
int clientHeight(int outerHeight) {
    return outerHeight - TMapChipWindow::FrameHeight;
}

} // namespace

void LayoutChipWindow(Application& app) {
    TMapChipWindow& w = *app.MapChipWindow;
    QScrollBar* vertical = w.ScrollBar1;
    QScrollBar* horizontal = w.ScrollBar2;
    const int W = w.sheet().width();
    const int H = w.sheet().height();

    w.setClientSize(clientWidth(W + 7), clientHeight(H + 27));

    vertical->hide();
    horizontal->hide();
    // Set as a value, not through setBarPosition: a bar that was not at 0 runs its change handler
    // (the still copy is refreshed and Image1 hidden; it is shown again below). The user's scroll
    // handler is not run by this.
    vertical->setValue(0);
    horizontal->setValue(0);

    w.Image1->move(0, 0);
    if (W > Viewport) {
        horizontal->setMaximum(W - Viewport);
        horizontal->show();
    }
    if (H > Viewport) {
        vertical->setMaximum(H - Viewport);
        vertical->show();
    }
    vertical->setGeometry(Viewport, 0, vertical->width(), Viewport);
    horizontal->setGeometry(0, Viewport, Viewport, horizontal->height());

    const bool withVertical = !vertical->isHidden();
    const bool withHorizontal = !horizontal->isHidden();
    if (withVertical && withHorizontal) {
        w.setClientSize(Viewport + vertical->width(), Viewport + horizontal->height());
    } else if (withVertical) {
        vertical->move(W, vertical->y());
        w.setClientSize(W + vertical->width(), clientHeight(OuterViewportHeight));
    } else if (withHorizontal) {
        horizontal->move(horizontal->x(), H);
        w.setClientSize(clientWidth(OuterViewportWidth), H + horizontal->height());
    }

    w.show();
    w.Image1->show();
    app.MainWindow->OpenDialog1.FileName.clear();
}

} // namespace tilora
