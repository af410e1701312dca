#include "core/SaveQuestion.h"

#include <gtest/gtest.h>

namespace tilora {
namespace {

TEST(SaveQuestion, OnlyLoadingAndLeavingOfferNoCancel) {
    EXPECT_TRUE(offersCancel(AskMode::NewMap));
    EXPECT_TRUE(offersCancel(AskMode::CloseMap));
    EXPECT_FALSE(offersCancel(AskMode::LoadOrExit));
}

TEST(SaveQuestion, OnlyAnExplicitNoDropsTheChanges) {
    EXPECT_EQ(decideOnSave(SaveReply::Yes), SaveDecision::SaveFirst);
    EXPECT_EQ(decideOnSave(SaveReply::No), SaveDecision::GoOn);
    EXPECT_EQ(decideOnSave(SaveReply::Cancel), SaveDecision::Stop); // also a dismissed box
}

} // namespace
} // namespace tilora
