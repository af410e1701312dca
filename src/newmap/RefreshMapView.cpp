#include "newmap/TStartUpWindow.h"
#include "shell/Application.h"

namespace tilora {

void RefreshMapView(Application&) {}

}  // namespace tilora
