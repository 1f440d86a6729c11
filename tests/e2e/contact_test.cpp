// The real contact window: its look, its modal run over the main window, the ways to close it,
// activation while it is open, sampling that goes on meanwhile and a fresh window each time.
#include <gtest/gtest.h>

#include <functional>

#include "tests/e2e/harness.h"
#include "tests/e2e/other_window.h"

namespace {

using namespace e2e;

constexpr size_t kContactButton = 0, kXBox = 13, kYBox = 5, kHandleBox = 16, kKeyCodeLabel = 17,
                 kKeyCodeBox = 18;

constexpr char kCaption[] = "QQ： 0000000000\r\n\r\n邮箱：author@example.com";

// The contact window: the program's only visible frame with an empty title.
HWND ContactWindow(const Tool& tool) { return FindProcessWindow(tool.process.id(), "", "VantrelFrame"); }

HWND Label(HWND contact) {
  const std::vector<HWND> children = Children(contact);
  return children.size() == 1 ? children[0] : nullptr;
}

std::string Decimal(HWND window) {
  return std::to_string(static_cast<int32_t>(reinterpret_cast<uintptr_t>(window)));
}

bool FocusReaches(HWND main, size_t position) {
  HWND target = MainControl(main, position);
  return target && WaitUntil([&] { return FocusOf(main) == target; });
}

// The active window of the thread that owns the window.
HWND ActiveOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndActive;
}

// A point of the title bar where the window reports its close button.
bool FindCloseButton(HWND window, POINT& point) {
  const RECT r = WindowRect(window);
  for (int y = r.top; y < r.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME); ++y)
    for (int x = r.right - 1; x > r.right - 60; --x) {
      DWORD_PTR hit = 0;
      SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
      if (hit == HTCLOSE) {
        point = {x, y};
        return true;
      }
    }
  return false;
}

// A started copy in front; Open() clicks the contact button and waits for the contact window.
class Contact : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = StartTool();
    ASSERT_TRUE(tool_.main);
    ASSERT_TRUE(BringToFront(tool_.main));
  }

  HWND Open() {
    ClickWindow(MainControl(tool_.main, kContactButton));
    HWND contact = WaitForProcessWindow(tool_.process.id(), "", "VantrelFrame");
    if (contact) WaitUntil([&] { return GetForegroundWindow() == contact; });
    return contact;
  }

  // The contact window is gone and the main window is back in front, enabled and working:
  // the focus is where the click left it, Tab moves it and typing shows a key code.
  void ExpectMainWindowBack(HWND contact) {
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(contact); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(tool_.main) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == tool_.main; }));
    EXPECT_TRUE(FocusReaches(tool_.main, kContactButton));
    PressKey(VK_TAB);
    EXPECT_TRUE(FocusReaches(tool_.main, kKeyCodeBox));
    TypeText("a");
    EXPECT_TRUE(WaitUntil([&] { return WindowText(MainControl(tool_.main, kKeyCodeLabel)) == "97"; }));
    EXPECT_TRUE(tool_.process.Running());
  }

  Tool tool_;
};

TEST_F(Contact, OpensCentredOwnedByAHiddenToolWindowWithTheMainWindowDisabled) {
  HWND contact = Open();
  ASSERT_TRUE(contact);
  EXPECT_EQ(GetForegroundWindow(), contact);
  EXPECT_EQ(WindowText(contact), "");
  const RECT r = WindowRect(contact);
  EXPECT_EQ(r.right - r.left, 230);
  EXPECT_EQ(r.bottom - r.top, 81);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 230) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 81) / 2);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(contact, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);

  // Owned windows get no taskbar button; the owner itself is a tool window never shown.
  HWND owner = GetWindow(contact, GW_OWNER);
  ASSERT_TRUE(owner);
  EXPECT_EQ(ClassName(owner), "VantrelOwner");
  DWORD ownerProcess = 0;
  GetWindowThreadProcessId(owner, &ownerProcess);
  EXPECT_EQ(ownerProcess, tool_.process.id());
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_NE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);

  HWND label = Label(contact);
  ASSERT_TRUE(label);
  EXPECT_EQ(ClassName(label), "VantrelLabel");
  EXPECT_EQ(WindowText(label), kCaption);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(tool_.main); }));
}

struct ClosingWay {
  const char* name;
  void (*close)(HWND contact);
};

void PrintTo(const ClosingWay& way, std::ostream* out) { *out << way.name; }

class ContactClosing : public Contact, public ::testing::WithParamInterface<ClosingWay> {};

TEST_P(ContactClosing, GivesTheMainWindowBack) {
  HWND contact = Open();
  ASSERT_TRUE(contact);
  GetParam().close(contact);
  if (HasFatalFailure()) return;
  ExpectMainWindowBack(contact);
}

void CloseButton(HWND contact) {
  POINT point{};
  ASSERT_TRUE(FindCloseButton(contact, point));
  Click(point.x, point.y);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ContactClosing,
    ::testing::Values(ClosingWay{"Esc", [](HWND) { PressKey(VK_ESCAPE); }},
                      ClosingWay{"AltF4", [](HWND) { PressKey(VK_F4, {VK_MENU}); }},
                      ClosingWay{"SysCommandClose", [](HWND contact) { PostMessageA(contact, WM_SYSCOMMAND, SC_CLOSE, 0); }},
                      ClosingWay{"CloseButton", CloseButton}),
    [](const ::testing::TestParamInfo<ClosingWay>& info) { return std::string(info.param.name); });

TEST_F(Contact, MainWindowIgnoresClicksWhileItIsOpen) {
  HWND contact = Open();
  ASSERT_TRUE(contact);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(tool_.main); }));

  // A click that reached the key-code box would take the keyboard there: the "a" would show
  // its code and the Esc would close the main window instead of the contact window.
  ClickWindow(MainControl(tool_.main, kKeyCodeBox));
  ClickWindow(MainControl(tool_.main, kContactButton));
  TypeText("a");
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(contact); }));
  EXPECT_TRUE(tool_.process.Running());
  EXPECT_EQ(WindowText(MainControl(tool_.main, kKeyCodeBox)), "");
  EXPECT_EQ(WindowText(MainControl(tool_.main, kKeyCodeLabel)), "请按键");
  // Nor does the click on the contact button open the window again once the first has gone.
  EXPECT_FALSE(WaitUntil([&] { return ContactWindow(tool_) != nullptr; }, 1000));
}

TEST_F(Contact, ActivatingTheMainWindowActivatesTheContactWindow) {
  struct Case {
    const char* name;
    bool otherInFront;  // SetActiveWindow reaches only the caller's own windows, so from
                        // outside it is tried while the program is in front
    std::function<void(HWND main)> activate;
  };
  const Case cases[] = {
      {"SetForegroundWindow", true, [](HWND main) { SetForegroundWindow(main); }},
      {"click", true, [](HWND main) {
         const RECT client = ClientRectOnScreen(main);
         Click(client.left + 150, client.top + 52);  // an empty spot of the client area
       }},
      {"SetActiveWindow", false, [](HWND main) { SetActiveWindow(main); }},
  };
  HWND contact = Open();
  ASSERT_TRUE(contact);
  OtherWindow other;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.otherInFront) ASSERT_TRUE(BringToFront(other.hwnd()));
    else ASSERT_TRUE(BringToFront(contact));
    c.activate(tool_.main);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == contact && ActiveOf(contact) == contact; }));
    EXPECT_FALSE(WaitUntil([&] { return ActiveOf(tool_.main) == tool_.main; }, 500));
    EXPECT_TRUE(IsWindow(contact));
    EXPECT_FALSE(IsWindowEnabled(tool_.main));
  }
}

TEST_F(Contact, SamplingStartedBeforeGoesOnWhileOpenUntilF2) {
  HWND xBox = MainControl(tool_.main, kXBox), yBox = MainControl(tool_.main, kYBox);
  HWND handleBox = MainControl(tool_.main, kHandleBox);
  auto follows = [&](int x, int y) {
    MoveCursor(x, y);
    return WaitUntil([&] { return WindowText(xBox) == std::to_string(x) && WindowText(yBox) == std::to_string(y); });
  };
  PressKey(VK_F1);
  ASSERT_TRUE(follows(20, 300));

  HWND contact = Open();
  ASSERT_TRUE(contact);
  HWND label = Label(contact);
  ASSERT_TRUE(label);
  const RECT labelRect = WindowRect(label);
  const RECT outer = WindowRect(contact);
  const POINT overLabel{(labelRect.left + labelRect.right) / 2, (labelRect.top + labelRect.bottom) / 2};
  const POINT overCaption{(outer.left + outer.right) / 2, outer.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2};
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(follows(overLabel.x, overLabel.y));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(handleBox) == Decimal(label); }));
    EXPECT_TRUE(follows(overCaption.x, overCaption.y));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(handleBox) == Decimal(contact); }));
  }

  // The hotkey is handled before the Esc that follows it, so once the contact window has gone
  // the sampling has stopped.
  PressKey(VK_F2);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(contact); }));
  const std::string x = WindowText(xBox), y = WindowText(yBox);
  MoveCursor(30, 40);
  EXPECT_FALSE(WaitUntil([&] { return WindowText(xBox) != x || WindowText(yBox) != y; }, 1000));
}

TEST_F(Contact, OpeningAgainBuildsTheWindowAnew) {
  HWND first = Open();
  ASSERT_TRUE(first);
  HWND firstLabel = Label(first);
  ASSERT_TRUE(firstLabel);
  SendMessageTimeoutA(firstLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  ASSERT_EQ(WindowText(firstLabel), "changed");
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }));

  // This time from the keyboard: the click left the focus on the contact button.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == tool_.main; }));
  ASSERT_TRUE(FocusReaches(tool_.main, kContactButton));
  PressKey(VK_SPACE);
  HWND second = WaitForProcessWindow(tool_.process.id(), "", "VantrelFrame");
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  HWND secondLabel = Label(second);
  ASSERT_TRUE(secondLabel);
  EXPECT_EQ(WindowText(secondLabel), kCaption);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(tool_.main); }));
}

}  // namespace
