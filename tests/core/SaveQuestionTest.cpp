#include "core/SaveQuestion.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

TEST(SaveQuestion, OnlyLoadingAndLeavingOfferNoCancel) {
    EXPECT_TRUE(offersCancel(AskMode::NewMap));
    EXPECT_TRUE(offersCancel(AskMode::CloseMap));
    EXPECT_FALSE(offersCancel(AskMode::LoadOrExit));
}

TEST(SaveQuestion, EachReplyInEachMode) {
    using enum SaveDecision;
    struct Row {
        AskMode mode;
        SaveDecision yes, no, cancel;
    };
    const Row table[] = {
        {AskMode::NewMap, SaveFirst, GoOn, Stop},
        {AskMode::CloseMap, SaveFirst, GoOn, Stop},
        {AskMode::LoadOrExit, SaveFirst, GoOn, GoOn}, // a box closed without a choice
    };
    for (const Row& r : table) {
        SCOPED_TRACE(int(r.mode));
        EXPECT_EQ(decideOnSave(r.mode, SaveReply::Yes), r.yes);
        EXPECT_EQ(decideOnSave(r.mode, SaveReply::No), r.no);
        EXPECT_EQ(decideOnSave(r.mode, SaveReply::Cancel), r.cancel);
    }
}

} // namespace
} // namespace tilora
