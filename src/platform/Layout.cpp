#include "platform/Layout.h"

#include <QKeyEvent>
#include <QScrollBar>

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

} // namespace tilora
