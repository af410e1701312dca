#include "newmap/LayoutChipWindow.h"

#include "core/WindowLayout.h"
#include "platform/EditorContext.h"

namespace tilora {

void LayoutChipWindow(EditorContext& app) {
    app.fitChipWindow(chipWindowLayout(app.sheet().width(), app.sheet().height()));
    app.openDialog().FileName.clear();
}

} // namespace tilora
