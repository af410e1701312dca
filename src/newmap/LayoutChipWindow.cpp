#include "newmap/TStartUpWindow.h"
#include "shell/Application.h"

namespace tilora {

void LayoutChipWindow(Application&) {}

}  // namespace tilora
