#include "shell/ViewPreferences.h"

#include <QSettings>

namespace tilora {

namespace {

QSettings settings() {
    return QSettings(QStringLiteral("Tilora"), QStringLiteral("tilora"));
}

const QString OverviewKey = QStringLiteral("view/overview");
const QString GridKey = QStringLiteral("view/grid");
const QString StatusLineKey = QStringLiteral("view/statusLine");

} // namespace

ViewPreferences ViewPreferences::load() {
    const QSettings s = settings();
    ViewPreferences p;
    p.overview = s.value(OverviewKey, false).toBool();
    p.grid = s.value(GridKey, false).toBool();
    p.statusLine = s.value(StatusLineKey, false).toBool();
    return p;
}

void ViewPreferences::save() const {
    QSettings s = settings();
    s.setValue(OverviewKey, overview);
    s.setValue(GridKey, grid);
    s.setValue(StatusLineKey, statusLine);
}

} // namespace tilora
