#pragma once
// Operations on one 10 x 10 stamp bank of the fifty. Cell (r, c) of bank b is element
// b * 100 + r * 10 + c.

#include "EditorState.h"

#include <cstdint>

namespace tilora {

// Throws std::out_of_range for a bank outside 0..49 or a row or column outside 0..9. The
// operations below do nothing for a bank outside 0..49.
std::int32_t& stampCell(StampBankArray& banks, int bank, int row, int col);
std::int32_t stampCell(const StampBankArray& banks, int bank, int row, int col);

void clearStampBank(StampBankArray& banks, int bank, std::int32_t value);

// One-cell rotations with wrap-around: the row or column pushed out comes back at the other edge.
void rotateStampUp(StampBankArray& banks, int bank);
void rotateStampDown(StampBankArray& banks, int bank);
void rotateStampLeft(StampBankArray& banks, int bank);
void rotateStampRight(StampBankArray& banks, int bank);

// new(r, c) = old(r, 9 - c)
void mirrorStampLeftRight(StampBankArray& banks, int bank);
// new(r, c) = old(9 - r, c)
void mirrorStampTopBottom(StampBankArray& banks, int bank);

} // namespace tilora
