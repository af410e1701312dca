#pragma once
// What the chip palette uses of the rest of the editor: the state (the scroll, the current
// chip), the undo history (a pick ends a painting run's step), the sheet it shows, and the
// operations that reach other windows. The application object carries it out.

#include "core/Bitmap.h"
#include "core/EditorState.h"

#include <cstdint>

namespace tilora {

class PalettePort {
  public:
    explicit PalettePort(EditorState& state) : State(state) {}
    virtual ~PalettePort() = default;
    PalettePort(const PalettePort&) = delete;
    PalettePort& operator=(const PalettePort&) = delete;
    PalettePort(PalettePort&&) = delete;
    PalettePort& operator=(PalettePort&&) = delete;

    EditorState& State;

    // The chip sheet in use (or tried by the new-map dialog).
    virtual const Bitmap& sheet() const = 0;
    // The one way the current chip changes; true when `chip` is current now.
    virtual bool chooseChip(std::int32_t chip) = 0;
    // The palette shown or hidden together with its check mark in the view menu.
    virtual void setChipWindowShown(bool shown) = 0;
    // The new-map dialog's initial-chip preview shows the chip at sheet pixel (left, top).
    virtual void showChipPreview(int left, int top) = 0;
};

} // namespace tilora
