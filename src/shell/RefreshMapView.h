#pragma once

namespace tilora {

class Application;

// The full refresh of the map view: view reset (unless a zoom pick is pending), SheetColumns,
// window arrangement, control states, every view cell redrawn, image, bars and cursor laid out.
void RefreshMapView(Application& app);

} // namespace tilora
