#include "StampBanks.h"

#include <algorithm>
#include <stdexcept>

namespace tilora {

namespace {

bool validBank(int bank) {
    return bank >= 0 && bank < StampBankCount;
}

std::size_t cellIndex(int bank, int row, int col) {
    // Cell coordinates come from pointer positions and are always 0..9; anything else is a
    // caller's fault and must not silently address a neighbouring cell or bank.
    if (!validBank(bank) || row < 0 || row >= StampSide || col < 0 || col >= StampSide) {
        throw std::out_of_range("stamp cell out of range");
    }
    return std::size_t(bank) * StampCells + std::size_t(row) * StampSide + std::size_t(col);
}

std::int32_t* bankBegin(StampBankArray& banks, int bank) {
    return banks.data() + std::size_t(bank) * StampCells;
}

} // namespace

std::int32_t& stampCell(StampBankArray& banks, int bank, int row, int col) {
    return banks[cellIndex(bank, row, col)];
}

std::int32_t stampCell(const StampBankArray& banks, int bank, int row, int col) {
    return banks[cellIndex(bank, row, col)];
}

// The bank operations below ignore a bank number outside 0..49: there is nothing to change.

void clearStampBank(StampBankArray& banks, int bank, std::int32_t value) {
    if (!validBank(bank)) return;
    std::fill_n(bankBegin(banks, bank), StampCells, value);
}

void rotateStampUp(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    std::rotate(b, b + StampSide, b + StampCells); // row 0 goes to the bottom
}

void rotateStampDown(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    std::rotate(b, b + StampCells - StampSide, b + StampCells); // row 9 comes to the top
}

void rotateStampLeft(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    for (int r = 0; r < StampSide; ++r) {
        std::int32_t* row = b + r * StampSide;
        std::rotate(row, row + 1, row + StampSide);
    }
}

void rotateStampRight(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    for (int r = 0; r < StampSide; ++r) {
        std::int32_t* row = b + r * StampSide;
        std::rotate(row, row + StampSide - 1, row + StampSide);
    }
}

void mirrorStampLeftRight(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    for (int r = 0; r < StampSide; ++r)
        std::reverse(b + r * StampSide, b + (r + 1) * StampSide);
}

void mirrorStampTopBottom(StampBankArray& banks, int bank) {
    if (!validBank(bank)) return;
    std::int32_t* b = bankBegin(banks, bank);
    for (int r = 0; r < StampSide / 2; ++r) {
        std::swap_ranges(b + r * StampSide, b + (r + 1) * StampSide,
                         b + (StampSide - 1 - r) * StampSide);
    }
}

} // namespace tilora
