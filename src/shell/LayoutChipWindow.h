#pragma once

namespace tilora {

class Application;

// Sizes and arranges the chip palette window for the current sheet, and shows it.
void LayoutChipWindow(Application& app);

} // namespace tilora
