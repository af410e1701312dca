#include "platform/Layout.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

namespace tilora {

void setUpScrollBar(QScrollBar* bar, const Place& p, int smallStep, int largeStep) {
    place(bar, p);
    bar->setRange(0, 0);
    bar->setSingleStep(smallStep);
    bar->setPageStep(largeStep);
    bar->setContextMenuPolicy(Qt::NoContextMenu);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->hide();
}

bool stepHorizontalBarByKey(QScrollBar* bar, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
    bar->triggerAction(key == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                            : QAbstractSlider::SliderSingleStepSub);
    return true;
}

WheelNotches::Turn WheelNotches::take(const QWheelEvent& event) {
    const QPoint delta = event.angleDelta();
    Turn turn;
    turn.sideways = (event.modifiers() & Qt::ShiftModifier) || delta.y() == 0;
    rest_ += delta.y() != 0 ? delta.y() : delta.x();
    turn.notches = rest_ / QWheelEvent::DefaultDeltasPerStep;
    rest_ -= turn.notches * QWheelEvent::DefaultDeltasPerStep;
    return turn;
}

void stepBarsByWheel(QScrollBar* vertical, QScrollBar* horizontal, WheelNotches::Turn turn) {
    QScrollBar* bar = turn.sideways ? horizontal : vertical;
    const auto action = turn.notches > 0 ? QAbstractSlider::SliderSingleStepSub
                                         : QAbstractSlider::SliderSingleStepAdd;
    for (int i = 0; i < std::abs(turn.notches); ++i)
        bar->triggerAction(action);
}

} // namespace tilora
