// The input state machine: hits, held state, discards, the pointer, close
// requests, and that every query sees what arrived before it.
#include <gtest/gtest.h>

#include "shell/services.h"
#include "tests/support/script.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { script::Reset(); }
  // Moves the clock on so the next query pumps the events scheduled up to now.
  void Tick() { script::Advance(1); }
};

TEST_F(InputTest, HitsCountPressesFromUpOnlyAndResetWhenRead) {
  FeedKeyDown('W', false);
  FeedKeyDown('W', true);   // auto-repeat is not a press
  FeedKeyDown('W', false);  // a second down without an up is not a press either
  EXPECT_TRUE(KeyHeld('W'));
  EXPECT_EQ(KeyHits('W'), 1);
  EXPECT_EQ(KeyHits('W'), 0);
  FeedKeyUp('W');
  FeedKeyDown('W', false);
  FeedKeyUp('W');
  FeedKeyDown('W', false);
  EXPECT_EQ(KeyHits('W'), 2);
  EXPECT_TRUE(KeyHeld('W'));
}

TEST_F(InputTest, ButtonsBehaveLikeKeys) {
  FeedButtonDown(kButtonLeft);
  FeedButtonUp(kButtonLeft);
  FeedButtonDown(kButtonLeft);  // a quick second click is another press
  EXPECT_EQ(ButtonHits(kButtonLeft), 2);
  EXPECT_TRUE(ButtonHeld(kButtonLeft));
  EXPECT_FALSE(ButtonHeld(kButtonRight));
  EXPECT_EQ(ButtonHits(kButtonMiddle), 0);
}

TEST_F(InputTest, OutOfRangeCodesAreIgnoredSafely) {
  for (int code : {-1, kKeyCodeCount, 100000}) {
    FeedKeyDown(code, false);
    EXPECT_EQ(KeyHits(code), 0);
    EXPECT_FALSE(KeyHeld(code));
  }
  for (int button : {0, -3, kButtonCount}) {
    FeedButtonDown(button);
    EXPECT_EQ(ButtonHits(button), 0);
    EXPECT_FALSE(ButtonHeld(button));
  }
}

TEST_F(InputTest, AKeyHeldAcrossADiscardReadsUpUntilPressedAgain) {
  FeedKeyDown(kKeyEscape, false);
  FeedButtonDown(kButtonRight);
  DiscardKeys();
  DiscardButtons();
  EXPECT_FALSE(KeyHeld(kKeyEscape));
  EXPECT_EQ(KeyHits(kKeyEscape), 0);
  EXPECT_FALSE(ButtonHeld(kButtonRight));
  FeedKeyDown(kKeyEscape, true);  // the platform's auto-repeat of the still-held key
  EXPECT_FALSE(KeyHeld(kKeyEscape));
  FeedKeyUp(kKeyEscape);
  FeedKeyDown(kKeyEscape, false);
  EXPECT_TRUE(KeyHeld(kKeyEscape));
  EXPECT_EQ(KeyHits(kKeyEscape), 1);
}

TEST_F(InputTest, ActivationChangeDiscardsKeysAndButtonsButNotThePointer) {
  FeedPointer(30, 40);
  FeedKeyDown('A', false);
  FeedButtonDown(kButtonLeft);
  FeedActivationChange();
  EXPECT_EQ(KeyHits('A'), 0);
  EXPECT_EQ(ButtonHits(kButtonLeft), 0);
  EXPECT_FALSE(ButtonHeld(kButtonLeft));
  EXPECT_EQ(PointerX(), 30);
  EXPECT_EQ(PointerY(), 40);
}

TEST_F(InputTest, PointerStartsAtOriginAndMayLeaveTheWindowWhileDragging) {
  EXPECT_EQ(PointerX(), 0);
  EXPECT_EQ(PointerY(), 0);
  FeedPointer(-7, 900);
  EXPECT_EQ(PointerX(), -7);
  EXPECT_EQ(PointerY(), 900);
  // Virtual pixels truncate towards zero: slightly left of the window is column 0.
  EXPECT_EQ(VirtualMouseX(), -2);
  EXPECT_EQ(VirtualMouseX() / 8, 0);
  EXPECT_EQ(VirtualMouseY(), 300);
}

TEST_F(InputTest, CloseRequestsCountOncePerQuery) {
  FeedCloseRequest();
  FeedCloseRequest();
  EXPECT_TRUE(TakeCloseRequest());
  EXPECT_FALSE(TakeCloseRequest());
}

TEST_F(InputTest, QueriesSeeEventsThatArrivedBeforeThem) {
  script::KeyDown(5, 'R');
  script::Close(5);
  script::Move(5, 12, 34);
  EXPECT_EQ(KeyHits('R'), 0);  // the clock is at 0: nothing has arrived yet
  script::SetNow(5);
  EXPECT_EQ(KeyHits('R'), 1);
  EXPECT_TRUE(TakeCloseRequest());
  EXPECT_EQ(PointerX(), 12);
}

TEST_F(InputTest, ThePlatformIsPumpedAtMostOncePerMillisecond) {
  for (int i = 0; i < 50; ++i) KeyHeld('A');
  EXPECT_EQ(script::PumpCount(), 1);
  Tick();
  KeyHeld('A');
  EXPECT_EQ(script::PumpCount(), 2);
}

TEST_F(InputTest, SystemPointerVisibility) {
  HideSystemPointer();
  EXPECT_FALSE(script::PointerVisible());
  ShowSystemPointer();
  ShowSystemPointer();  // the calls do not nest
  EXPECT_TRUE(script::PointerVisible());
  HideSystemPointer();
  EXPECT_FALSE(script::PointerVisible());
}

}  // namespace
