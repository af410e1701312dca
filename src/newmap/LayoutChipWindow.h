#pragma once

namespace tilora {

class EditorContext;

// Sizes and arranges the chip palette window for the current sheet, and shows it.
void LayoutChipWindow(EditorContext& app);

} // namespace tilora
