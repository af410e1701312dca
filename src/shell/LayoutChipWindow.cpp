#include "shell/LayoutChipWindow.h"

#include "core/WindowLayout.h"
#include "palette/TMapChipWindow.h"
#include "shell/Application.h"

namespace tilora {

void LayoutChipWindow(Application& app) {
    app.MapChipWindow->fitToSheet(chipWindowLayout(app.sheet().width(), app.sheet().height()));
    app.openDialog().FileName.clear();
}

} // namespace tilora
