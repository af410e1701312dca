#include "core/StampBanks.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>

namespace tilora {
namespace {

constexpr int Bank = 7;

// Bank 7 holds a distinct value in every cell; every other cell of every bank holds -5.
StampBankArray distinctBank() {
    StampBankArray banks;
    banks.fill(-5);
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c)
            stampCell(banks, Bank, r, c) = 1000 + r * 10 + c;
    return banks;
}

void expectOtherBanksUntouched(const StampBankArray& banks) {
    for (std::size_t i = 0; i < banks.size(); ++i) {
        if (int(i) / StampCells != Bank) {
            ASSERT_EQ(banks[i], -5) << "element " << i;
        }
    }
}

using Op = void (*)(StampBankArray&, int);

struct Mapping {
    const char* name;
    Op op;
    std::function<int(int)> fromRow; // new(r, c) = old(fromRow(r), fromCol(c))
    std::function<int(int)> fromCol;
};

TEST(StampBankOps, MoveEveryCellToItsPlace) {
    const auto same = [](int x) { return x; };
    const Mapping mappings[] = {
        {"up", rotateStampUp, [](int r) { return (r + 1) % 10; }, same},
        {"down", rotateStampDown, [](int r) { return (r + 9) % 10; }, same},
        {"left", rotateStampLeft, same, [](int c) { return (c + 1) % 10; }},
        {"right", rotateStampRight, same, [](int c) { return (c + 9) % 10; }},
        {"left-right", mirrorStampLeftRight, same, [](int c) { return 9 - c; }},
        {"top-bottom", mirrorStampTopBottom, [](int r) { return 9 - r; }, same},
    };
    for (const Mapping& m : mappings) {
        const StampBankArray before = distinctBank();
        StampBankArray banks = before;
        m.op(banks, Bank);
        for (int r = 0; r < StampSide; ++r)
            for (int c = 0; c < StampSide; ++c)
                ASSERT_EQ(stampCell(banks, Bank, r, c),
                          stampCell(before, Bank, m.fromRow(r), m.fromCol(c)))
                    << m.name << " at (" << r << ", " << c << ")";
        expectOtherBanksUntouched(banks);
    }
}

TEST(StampBankOps, SequencesThatRestoreTheBank) {
    const std::vector<std::vector<Op>> identities = {
        std::vector<Op>(10, rotateStampUp),
        std::vector<Op>(10, rotateStampDown),
        std::vector<Op>(10, rotateStampLeft),
        std::vector<Op>(10, rotateStampRight),
        {rotateStampUp, rotateStampDown},
        {rotateStampLeft, rotateStampRight},
        {mirrorStampLeftRight, mirrorStampLeftRight},
        {mirrorStampTopBottom, mirrorStampTopBottom},
    };
    for (std::size_t k = 0; k < identities.size(); ++k) {
        StampBankArray banks = distinctBank();
        for (Op op : identities[k])
            op(banks, Bank);
        EXPECT_EQ(banks, distinctBank()) << "sequence " << k;
    }
}

// Where the chip ends up when only one column (or one row) of the bank holds it.
std::set<int> columnsHolding(const StampBankArray& banks, std::int32_t chip) {
    std::set<int> cols;
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c)
            if (stampCell(banks, Bank, r, c) == chip) cols.insert(c);
    return cols;
}

std::set<int> rowsHolding(const StampBankArray& banks, std::int32_t chip) {
    std::set<int> rows;
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c)
            if (stampCell(banks, Bank, r, c) == chip) rows.insert(r);
    return rows;
}

TEST(StampBankOps, OneColumnOrRowOfChips) {
    StampBankArray column0{};
    StampBankArray row0{};
    for (int i = 0; i < StampSide; ++i) {
        stampCell(column0, Bank, i, 0) = 5;
        stampCell(row0, Bank, 0, i) = 7;
    }
    const struct {
        Op op;
        std::set<int> columnsOf5, rowsOf7;
    } cases[] = {
        {mirrorStampLeftRight, {9}, {0}}, {rotateStampRight, {1}, {0}}, {rotateStampLeft, {9}, {0}},
        {mirrorStampTopBottom, {0}, {9}}, {rotateStampUp, {0}, {9}},    {rotateStampDown, {0}, {1}},
    };
    for (const auto& c : cases) {
        StampBankArray a = column0, b = row0;
        c.op(a, Bank);
        c.op(b, Bank);
        EXPECT_EQ(columnsHolding(a, 5), c.columnsOf5);
        EXPECT_EQ(rowsHolding(a, 5).size(), 10u); // the whole column, every row
        EXPECT_EQ(rowsHolding(b, 7), c.rowsOf7);
        EXPECT_EQ(columnsHolding(b, 7).size(), 10u);
    }
}

TEST(StampBankOps, ClearFillsOnlyTheGivenBank) {
    StampBankArray banks = distinctBank();
    clearStampBank(banks, Bank, TransparentChip);
    for (int r = 0; r < StampSide; ++r)
        for (int c = 0; c < StampSide; ++c)
            EXPECT_EQ(stampCell(banks, Bank, r, c), -1);
    expectOtherBanksUntouched(banks);
}

TEST(StampBankOps, OutOfRangeBanksAndCells) {
    StampBankArray banks = distinctBank();
    clearStampBank(banks, StampBankCount, 3);
    rotateStampUp(banks, -1);
    mirrorStampLeftRight(banks, StampBankCount);
    EXPECT_EQ(banks, distinctBank());
    EXPECT_THROW(stampCell(banks, 0, 0, 10), std::out_of_range);
    EXPECT_THROW(stampCell(banks, 0, -1, 0), std::out_of_range);
    EXPECT_THROW(stampCell(banks, StampBankCount, 0, 0), std::out_of_range);
}

} // namespace
} // namespace tilora
