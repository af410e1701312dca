#include "newmap/RefreshMapView.h"

#include "core/WindowLayout.h"
#include "core/Zoom.h"
#include "platform/EditorContext.h"

namespace tilora {

void RefreshMapView(EditorContext& app) {
    EditorState& s = app.State;
    // A pending zoom pick keeps the origin it is about to be applied at, as far as the map
    // allows: after a new map or a load the old origin may lie beyond the new map's edge, and a
    // view out there would show cells that are not part of the map.
    settleViewForRefresh(s, app.mapViewSize());
    s.SheetColumns = app.sheet().width() / ChipPixels;

    app.arrangeWindows();
    app.setNewMapDialogShown(false);
    app.enableMapCommands();
    app.fitMapWindow(mapViewLayout(s, app.mapViewSize()));
}

} // namespace tilora
