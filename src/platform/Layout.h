#pragma once
// Small helpers for laying windows out from their design tables.

#include <QWidget>

class QEvent;
class QScrollBar;
class QWheelEvent;

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

// Mouse-wheel turns as whole notches, the remainder of a high-resolution wheel kept for the next
// event. A turn is sideways when Shift is held or the wheel turns only horizontally.
class WheelNotches {
  public:
    struct Turn {
        int notches = 0; // positive away from the user (up, or left)
        bool sideways = false;
    };
    Turn take(const QWheelEvent& event);

  private:
    int rest_ = 0;
};

// One arrow step of the vertical bar (the horizontal one for a sideways turn) per notch, through
// triggerAction, so the scroll handler snaps and redraws each step as it does for the bar itself.
void stepBarsByWheel(QScrollBar* vertical, QScrollBar* horizontal, WheelNotches::Turn turn);

} // namespace tilora
