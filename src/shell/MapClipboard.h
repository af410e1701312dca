#pragma once
// Blocks of chips on the system clipboard. A copy offers two types: text/plain, the block's rows in
// the map file's own form (made only when another program asks for it), and a type of the
// editor's own that carries where the block was copied from and the path of the chip sheet it
// was drawn with. A paste takes the block copied in this editor as it is, or reads the text
// strictly, whichever program put it there.

#include "core/ChipBlock.h"
#include "core/Painting.h"
#include "core/Result.h"

#include <optional>
#include <string>

namespace tilora {

struct ClipboardBlock {
    ChipBlock block;
    std::optional<Anchor> origin;     // the cell it was copied from, when an editor copied it
    std::optional<std::string> sheet; // the sheet it was drawn with, likewise (the system's bytes)
};

// Puts the block on the system clipboard.
void putBlockOnClipboard(ChipBlock block, Anchor origin, const std::string& sheet);

// The block the system clipboard holds, or the reason it holds none.
Result<ClipboardBlock> blockFromClipboard();

} // namespace tilora
