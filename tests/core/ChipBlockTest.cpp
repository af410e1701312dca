#include "core/ChipBlock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace tilora {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(ChipBlock, TextIsTheMapFilesRowsAndReadsBack) {
    const ChipBlock block{3, 2, {12, 7, 7, -1, 0, 2147483647}};
    EXPECT_EQ(formatChipBlock(block), "12,7,7,\r\n-1,0,2147483647,\r\n");
    const auto back = parseChipBlock(formatChipBlock(block));
    ASSERT_TRUE(back.ok()) << back.error().message;
    EXPECT_EQ(*back, block);
}

TEST(ChipBlock, ReadsWhatEditorsAndSpreadsheetsWrite) {
    for (const char* text :
         {"1,2\n3,4\n", "1,2,\r\n3,4,", "1\t2\n3\t4\n\n\n", " 1 , +2 ,\r\n3,4\r\n"}) {
        const auto block = parseChipBlock(text);
        ASSERT_TRUE(block.ok()) << text << block.error().message;
        EXPECT_EQ(*block, (ChipBlock{2, 2, {1, 2, 3, 4}})) << text;
    }
}

TEST(ChipBlock, RefusesTextThatIsNotAGridOfChips) {
    std::string wide;
    std::string tall;
    for (int k = 0; k < 1001; ++k) {
        wide += "1,";
        tall += "1,\n";
    }
    const struct {
        std::string text;
        const char* fragment;
    } cases[] = {
        {"", "チップがありません"},
        {"\r\n\n", "チップがありません"},
        {"1,x\n", "1行目の2番目の値が数値ではありません"},
        {"1,+-2\n", "1行目の2番目の値が数値ではありません"},
        {"1,,2\n", "1行目の2番目の値が空です"},
        {"1,2\n3\n", "2行目の値が1個です（1行目は2個です）"},
        {"1,2\n\n3,4\n", "2行目が空です"},
        {"1,2\r3,4\n", "1行目の改行がCRだけです"},
        {"1,99999999999\n", "1行目の2番目の値が-2147483648～2147483647の範囲外です"},
        {wide, "1行目の値が1000個を超えています"},
        {tall, "1000行を超えています"},
    };
    for (const auto& k : cases) {
        const auto block = parseChipBlock(k.text);
        ASSERT_FALSE(block.ok()) << k.text;
        EXPECT_THAT(block.error().message,
                    StartsWith("クリップボードの内容はチップの並びではありません："));
        EXPECT_THAT(block.error().message, HasSubstr(k.fragment)) << k.text;
    }
}

} // namespace
} // namespace tilora
