// The tab order rule, the keys the frame handles itself, the focus a window gives back and the
// key-code routine, with a small window of the test process where windows are needed.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "app/frame.h"
#include "app/keyboard.h"
#include "app/loaded_window.h"
#include "inspector/key_code.h"

namespace {

TEST(CharCodeAt, ReadsTheSignedByteAtAPositionCountedFromOne) {
  struct Case {
    const char* text;
    std::optional<int32_t> position;
    int32_t code;
  };
  const Case cases[] = {
      {"a", std::nullopt, 97},
      {"", std::nullopt, 0},
      {"\xE9", std::nullopt, -23},
      {"\xD6\xD0", std::nullopt, -42},
      {"abc", 1, 97},
      {"abc", 3, 99},
      {"abc", 4, 0},  // the terminating zero
      {"abc", 5, 0},
      {"", 1, 0},
      {"abc", 0, 0},
      {"abc", -1, 0},
      {"abc", INT32_MIN, 0},
      {"abc", INT32_MAX, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" at " + (c.position ? std::to_string(*c.position) : "none"));
    EXPECT_EQ(CharCodeAt(c.text, c.position), c.code);
  }
}

TEST(SortTabOrder, KeepsEligibleControlsByIndexWithEqualIndexesFromTheEnd) {
  struct Case {
    const char* name;
    std::vector<TabCandidate> controls;
    std::vector<size_t> order;
  };
  const Case cases[] = {
      {"none", {}, {}},
      {"equal indexes", {{0, true}, {0, true}, {0, true}}, {2, 1, 0}},
      {"indexes first", {{1, true}, {0, true}, {1, true}, {0, true}}, {3, 1, 2, 0}},
      {"negative index", {{0, true}, {-1, true}, {5, true}}, {1, 0, 2}},
      {"ineligible left out", {{0, false}, {2, true}, {0, true}, {1, false}}, {2, 1}},
      {"nothing eligible", {{0, false}, {1, false}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SortTabOrder(c.controls), c.order);
  }
}

constexpr ControlLayout Box(const char* name, int32_t top, int32_t tabIndex) {
  return {.name = name, .kind = ControlKind::EditBox, .left = 0, .top = top, .width = 100, .height = 20,
          .tabStop = true, .tabIndex = tabIndex, .borderStyle = 1, .backColour = 0xFFFFFF};
}

// The tab order of this window is button, second, first: index 0 from the end of the list,
// then index 1. Everything else fails one of the rules.
constexpr ControlLayout kControls[] = {
    Box("first", 0, 1),
    {.name = "hidden", .kind = ControlKind::EditBox, .left = 0, .top = 20, .width = 100, .height = 20,
     .visible = false, .tabStop = true},
    {.name = "off", .kind = ControlKind::EditBox, .left = 0, .top = 40, .width = 100, .height = 20,
     .disabled = true, .tabStop = true},
    {.name = "no stop", .kind = ControlKind::EditBox, .left = 0, .top = 60, .width = 100, .height = 20},
    {.name = "clock", .kind = ControlKind::Timer, .left = 0, .top = 100, .width = 10, .height = 10,
     .tabStop = true},
    Box("second", 120, 0),
    {.name = "button", .kind = ControlKind::Button, .left = 0, .top = 140, .width = 100, .height = 20,
     .tabStop = true, .text = "button"},
};

constexpr WindowLayout Layout(bool escCloses) {
  return {.title = "keyboard test", .borderStyle = 2, .controlBox = true, .maximizeButton = false,
          .minimizeButton = false, .startPosition = 1, .movable = true, .icon = nullptr,
          .backColour = kSystemFaceColour, .escCloses = escCloses, .enterMovesFocus = false,
          .shownInTaskbar = true, .alwaysOnTop = false, .visible = true,
          .left = 0, .top = 0, .width = 200, .height = 220, .controls = kControls};
}
constexpr WindowLayout kWindow = Layout(true);
constexpr WindowLayout kKeepOnEscWindow = Layout(false);

// The state of the modifier keys as this thread's messages see it.
void HoldModifiers(bool ctrl, bool shift, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

class KeyboardRules : public ::testing::Test {
 protected:
  void SetUp() override {
    HoldModifiers(false, false, false);
    ASSERT_TRUE(LoadWindow(kWindow, nullptr, false));
    window_ = FindLoaded(GetControlHandle(kWindow));
    ASSERT_TRUE(window_);
  }
  void TearDown() override {
    HoldModifiers(false, false, false);
    if (window_ && FindLoaded(window_->hwnd)) DestroyWindow(window_->hwnd);
  }

  static HWND Control(const char* name) { return GetControlHandle(kWindow, name); }

  static bool Key(HWND target, WPARAM key, UINT message = WM_KEYDOWN) {
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = key;
    return ApplyKeyboardRules(msg);
  }

  LoadedWindow* window_ = nullptr;
};

TEST_F(KeyboardRules, ShownWindowFocusesTheFirstOfTheTabOrder) { EXPECT_EQ(GetFocus(), Control("button")); }

TEST_F(KeyboardRules, TabAndShiftTabWalkOnlyEligibleControlsAndWrap) {
  const char* const order[] = {"button", "second", "first"};
  for (size_t step = 1; step <= std::size(order); ++step) {
    EXPECT_TRUE(Key(GetFocus(), VK_TAB));
    EXPECT_EQ(GetFocus(), Control(order[step % std::size(order)])) << "Tab " << step;
  }
  HoldModifiers(false, true, false);
  for (size_t step = 1; step <= std::size(order); ++step) {
    EXPECT_TRUE(Key(GetFocus(), VK_TAB));
    EXPECT_EQ(GetFocus(), Control(order[(std::size(order) - step) % std::size(order)])) << "Shift+Tab " << step;
  }
}

TEST_F(KeyboardRules, TabFromAControlOutsideTheOrderStartsAtEitherEnd) {
  SetFocus(Control("no stop"));
  EXPECT_TRUE(Key(GetFocus(), VK_TAB));
  EXPECT_EQ(GetFocus(), Control("button"));
  SetFocus(Control("no stop"));
  HoldModifiers(false, true, false);
  EXPECT_TRUE(Key(GetFocus(), VK_TAB));
  EXPECT_EQ(GetFocus(), Control("first"));
}

TEST_F(KeyboardRules, KeysWithOtherModifiersAndOtherKeysPassUnchanged) {
  struct Case {
    const char* name;
    WPARAM key;
    UINT message;
    bool ctrl, shift, alt;
  };
  const Case cases[] = {
      {"Ctrl+Tab", VK_TAB, WM_KEYDOWN, true, false, false},
      {"Ctrl+Shift+Tab", VK_TAB, WM_KEYDOWN, true, true, false},
      {"Alt+Tab", VK_TAB, WM_SYSKEYDOWN, false, false, true},
      {"Shift+Esc", VK_ESCAPE, WM_KEYDOWN, false, true, false},
      {"Ctrl+Esc", VK_ESCAPE, WM_KEYDOWN, true, false, false},
      {"Alt+Esc", VK_ESCAPE, WM_SYSKEYDOWN, false, false, true},
      {"Enter", VK_RETURN, WM_KEYDOWN, false, false, false},
      {"Shift+Enter", VK_RETURN, WM_KEYDOWN, false, true, false},
      {"A", 'A', WM_KEYDOWN, false, false, false},
      {"F1", VK_F1, WM_KEYDOWN, false, false, false},
      {"Tab released", VK_TAB, WM_KEYUP, false, false, false},
      {"Esc released", VK_ESCAPE, WM_KEYUP, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HoldModifiers(c.ctrl, c.shift, c.alt);
    HWND before = GetFocus();
    EXPECT_FALSE(Key(before, c.key, c.message));
    EXPECT_EQ(GetFocus(), before);
    EXPECT_TRUE(FindLoaded(window_->hwnd));
  }
}

TEST_F(KeyboardRules, EscClosesTheWindowFromAControlOrTheFrame) {
  for (bool fromControl : {true, false}) {
    SCOPED_TRACE(fromControl ? "from a control" : "from the frame");
    if (!window_) {
      ASSERT_TRUE(LoadWindow(kWindow, nullptr, false));
      window_ = FindLoaded(GetControlHandle(kWindow));
    }
    HWND frame = window_->hwnd;
    EXPECT_TRUE(Key(fromControl ? Control("second") : frame, VK_ESCAPE));
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(FindLoaded(frame));
    window_ = nullptr;
  }
}

TEST(KeyboardRulesWithoutEsc, EscIsPassedOnWhenTheWindowDoesNotCloseOnIt) {
  ASSERT_TRUE(LoadWindow(kKeepOnEscWindow, nullptr, false));
  HWND frame = GetControlHandle(kKeepOnEscWindow);
  MSG msg{};
  msg.hwnd = GetFocus();
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_ESCAPE;
  EXPECT_FALSE(ApplyKeyboardRules(msg));
  EXPECT_TRUE(IsWindow(frame));
  DestroyWindow(frame);
}

TEST_F(KeyboardRules, KeysForWindowsThatAreNotLoadedPassUnchanged) {
  HWND stranger = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPED | WS_VISIBLE, 300, 0, 100, 30, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(stranger);
  SetFocus(stranger);
  EXPECT_FALSE(Key(stranger, VK_TAB));
  EXPECT_FALSE(Key(stranger, VK_ESCAPE));
  EXPECT_EQ(GetFocus(), stranger);
  EXPECT_TRUE(FindLoaded(window_->hwnd));
  DestroyWindow(stranger);
}

TEST_F(KeyboardRules, ReactivationGivesTheFocusBackToTheSavedControlUnlessItIsGone) {
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPED | WS_VISIBLE, 300, 0, 100, 30, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(other);
  SetFocus(Control("first"));
  SetActiveWindow(other);
  SetActiveWindow(window_->hwnd);
  EXPECT_EQ(GetFocus(), Control("first"));

  SetActiveWindow(other);
  DestroyWindow(Control("first"));
  SetActiveWindow(window_->hwnd);
  EXPECT_EQ(GetFocus(), Control("button"));
  DestroyWindow(other);
}

}  // namespace
