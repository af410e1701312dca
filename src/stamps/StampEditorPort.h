#pragma once
// What the stamp editor uses of the rest of the editor: the state (the banks, the current chip,
// the sheet's columns), the renderer its cells are drawn with, and the current chip's one way in.
// The application object carries it out.

#include "core/ChipRenderer.h"
#include "core/EditorState.h"

#include <cstdint>

namespace tilora {

class StampEditorPort {
  public:
    StampEditorPort(EditorState& state, ChipRenderer& renderer)
        : State(state), Renderer(renderer) {}
    virtual ~StampEditorPort() = default;
    StampEditorPort(const StampEditorPort&) = delete;
    StampEditorPort& operator=(const StampEditorPort&) = delete;
    StampEditorPort(StampEditorPort&&) = delete;
    StampEditorPort& operator=(StampEditorPort&&) = delete;

    EditorState& State;
    ChipRenderer& Renderer;

    // The one way the current chip changes: a chip the sheet does not have is refused (the
    // transparent chip is taken). True when `chip` is current now.
    virtual bool chooseChip(std::int32_t chip) = 0;
};

} // namespace tilora
