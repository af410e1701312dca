#pragma once
// Small helpers for laying windows out from their design tables.

#include <QWidget>

class QEvent;
class QScrollBar;

namespace tilora {

// A control's place in its parent's client area, as a layout table gives it.
struct Place {
    int left, top, width, height;
};

inline void place(QWidget* w, const Place& p) {
    w->setGeometry(p.left, p.top, p.width, p.height);
}

// A window's outer size as the window system reports it, frame included (the client size until
// the window system has framed the window).
inline int outerWidth(const QWidget& w) {
    return w.frameGeometry().width();
}
inline int outerHeight(const QWidget& w) {
    return w.frameGeometry().height();
}

// A scroll bar as the windows use it: placed, hidden, range 0..0, the given steps, keyboard
// focus on, and no context menu (its "scroll here" would set a position no handler sees).
void setUpScrollBar(QScrollBar* bar, const Place& p, int smallStep, int largeStep);

// A scroll bar's controls are inverted so that the wheel scrolls the natural way, which also
// turns the left and right arrow keys round on a horizontal bar; this puts them back. The step
// still goes through triggerAction, so the scroll handler sees it like any other. Call it from
// an event filter on the horizontal bar; true when the event was handled.
bool stepHorizontalBarByKey(QScrollBar* bar, QEvent* event);

} // namespace tilora
