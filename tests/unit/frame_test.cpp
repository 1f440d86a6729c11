// Frame pieces with real windows in the test process: the edit box's content-changed event and
// the timer control's period rules.
#include <gtest/gtest.h>

#include "app/frame.h"

namespace {

int changes = 0;
void CountChange() { ++changes; }

int ticks = 0;
ULONGLONG lastTick = 0;
void CountTick() {
  ++ticks;
  lastTick = GetTickCount64();
}

constexpr ControlLayout kControls[] = {
    {.name = "box", .kind = ControlKind::EditBox, .left = 0, .top = 0, .width = 100, .height = 24,
     .tabStop = true, .borderStyle = 1, .backColour = 0xFFFFFF, .maxLength = 1, .onEvent = CountChange},
    {.name = "clock", .kind = ControlKind::Timer, .left = 0, .top = 30, .width = 10, .height = 10,
     .onEvent = CountTick},
};

constexpr WindowLayout kWindow{
    .title = "frame test", .borderStyle = 2, .controlBox = true, .maximizeButton = false,
    .minimizeButton = false, .startPosition = 1, .movable = true, .icon = nullptr,
    .backColour = kSystemFaceColour, .escCloses = true, .enterMovesFocus = false,
    .shownInTaskbar = true, .alwaysOnTop = false, .visible = true,
    .left = 0, .top = 0, .width = 200, .height = 120, .controls = kControls,
};

// What the creation handler saw of its window.
struct CreationView {
  bool ran = false, windowVisible = true, controlsExist = false;
} creation;

extern const WindowLayout kCreatedWindow;
void RecordCreation() {
  creation.ran = true;
  creation.windowVisible = IsWindowVisible(GetControlHandle(kCreatedWindow)) != FALSE;
  creation.controlsExist = IsWindow(GetControlHandle(kCreatedWindow, "box")) != FALSE;
}

const WindowLayout kCreatedWindow{
    .title = "creation test", .borderStyle = 2, .controlBox = true, .maximizeButton = false,
    .minimizeButton = false, .startPosition = 1, .movable = true, .icon = nullptr,
    .backColour = kSystemFaceColour, .escCloses = true, .enterMovesFocus = false,
    .shownInTaskbar = true, .alwaysOnTop = false, .visible = true,
    .left = 0, .top = 0, .width = 200, .height = 120, .controls = kControls, .onCreate = RecordCreation,
};

// Dispatches this thread's messages until the condition holds or the time is up.
bool PumpUntil(const auto& condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadWindow(kWindow, nullptr, false));
    window_ = GetControlHandle(kWindow);
    changes = ticks = 0;
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND Box() { return GetControlHandle(kWindow, "box"); }
  HWND window_ = nullptr;
};

TEST(FrameLoading, CreationHandlerRunsWithTheControlsInPlaceBeforeTheWindowShows) {
  ASSERT_TRUE(LoadWindow(kCreatedWindow, nullptr, false));
  HWND window = GetControlHandle(kCreatedWindow);
  EXPECT_TRUE(creation.ran);
  EXPECT_FALSE(creation.windowVisible);
  EXPECT_TRUE(creation.controlsExist);
  EXPECT_TRUE(IsWindowVisible(window));
  // Loading an open layout again keeps the one window.
  EXPECT_TRUE(LoadWindow(kCreatedWindow, nullptr, false));
  EXPECT_EQ(GetControlHandle(kCreatedWindow), window);
  DestroyWindow(window);
}

TEST_F(Frame, EachContentWriteRaisesTheEventOnceAfterTheTextIsInPlace) {
  WriteText(kWindow, "box", "hello");
  EXPECT_EQ(changes, 1);
  WriteText(kWindow, "box", "hello");  // unchanged text: still one event
  EXPECT_EQ(changes, 2);
  WriteText(kWindow, "box", "");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(ReadText(kWindow, "box"), "");
}

TEST_F(Frame, MaximumLengthLimitsTypingButNotAWrittenText) {
  WriteText(kWindow, "box", "a much longer text");
  EXPECT_EQ(ReadText(kWindow, "box"), "a much longer text");

  WriteText(kWindow, "box", "");
  SendMessageA(Box(), WM_CHAR, 'x', 1);
  SendMessageA(Box(), WM_CHAR, 'y', 1);
  EXPECT_EQ(ReadText(kWindow, "box"), "x");
}

TEST_F(Frame, TimerRunsWhileItsPeriodIsPositive) {
  WritePeriod(kWindow, "clock", 20);
  EXPECT_TRUE(PumpUntil([] { return ticks >= 3; }, 5000));
  for (int32_t stop : {0, -5}) {
    WritePeriod(kWindow, "clock", 20);
    ASSERT_TRUE(PumpUntil([] { return ticks > 0; }, 5000));
    WritePeriod(kWindow, "clock", stop);
    EXPECT_EQ(ReadPeriod(kWindow, "clock"), 0);
    ticks = 0;
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(ticks, 0) << "after writing " << stop;
  }
}

TEST_F(Frame, AnEqualPeriodKeepsThePhase) {
  constexpr int32_t kPeriod = 400;
  WritePeriod(kWindow, "clock", kPeriod);
  ASSERT_TRUE(PumpUntil([] { return ticks >= 1; }, 5000));
  const ULONGLONG first = lastTick;
  PumpUntil([&] { return GetTickCount64() >= first + kPeriod / 2; }, 5000);
  WritePeriod(kWindow, "clock", kPeriod);  // a restart would put the next tick at 1.5 periods
  ASSERT_TRUE(PumpUntil([] { return ticks >= 2; }, 5000));
  EXPECT_LT(lastTick - first, static_cast<ULONGLONG>(kPeriod * 5 / 4));
}

TEST_F(Frame, DestroyingTheWindowStopsTheTimer) {
  WritePeriod(kWindow, "clock", 20);
  ASSERT_TRUE(PumpUntil([] { return ticks > 0; }, 5000));
  HWND clock = GetControlHandle(kWindow, "clock");
  DestroyWindow(window_);
  EXPECT_FALSE(IsWindow(clock));
  ticks = 0;
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
