#include "shell/RefreshMapView.h"

#include "core/WindowLayout.h"
#include "core/Zoom.h"
#include "mapview/TMapWindow.h"
#include "shell/Application.h"

namespace tilora {

void RefreshMapView(Application& app) {
    EditorState& s = app.State;
    TMapWindow& view = *app.MapWindow;
    // A pending zoom pick keeps the origin it is about to be applied at, as far as the map
    // allows: after a new map or a load the old origin may lie beyond the new map's edge, and a
    // view out there would show cells that are not part of the map.
    settleViewForRefresh(s, view.viewSize());
    s.SheetColumns = app.sheet().width() / ChipPixels;

    app.arrangeWindows();
    app.setNewMapDialogShown(false);
    app.enableMapCommands();
    view.fitToMap(mapViewLayout(s, view.viewSize()));
}

} // namespace tilora
