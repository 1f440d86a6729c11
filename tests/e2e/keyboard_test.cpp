// The real main window's keyboard: the start-up focus, the tab order, the keys it leaves alone,
// Esc, the focus kept across deactivation and the key-code viewer.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/other_window.h"

namespace {

using namespace e2e;

// List positions of the main window's controls.
constexpr size_t kContactButton = 0, kProcessBox = 2, kYBox = 5, kXBox = 13, kTitleBox = 14,
                 kClassBox = 15, kHandleBox = 16, kKeyCodeLabel = 17, kKeyCodeBox = 18;

// All tab indexes are equal, so the order runs from the end of the list to its start.
constexpr size_t kTabOrder[] = {kKeyCodeBox, kHandleBox, kClassBox, kTitleBox,
                                kXBox,       kYBox,      kProcessBox, kContactButton};

bool FocusReaches(HWND main, size_t position) {
  HWND target = MainControl(main, position);
  return target && WaitUntil([&] { return FocusOf(main) == target; });
}

bool CaptionReads(HWND main, const std::string& text) {
  return WaitUntil([&] { return WindowText(MainControl(main, kKeyCodeLabel)) == text; });
}

// The contact window: the program's only visible frame with an empty title.
HWND ContactWindow(const Tool& tool) { return FindProcessWindow(tool.process.id(), "", "VantrelFrame"); }

// Wine reports itself through an export of ntdll that Windows does not have.
bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// A started copy in front, with the start-up focus in place.
class MainKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = StartTool();
    ASSERT_TRUE(tool_.main);
    ASSERT_TRUE(BringToFront(tool_.main));
    ASSERT_TRUE(FocusReaches(tool_.main, kKeyCodeBox));
  }

  Tool tool_;
};

TEST_F(MainKeys, TabWalksTheOrderForwardAndShiftTabBackBothWrapping) {
  for (size_t step = 1; step <= std::size(kTabOrder); ++step) {
    SCOPED_TRACE(::testing::Message() << "Tab " << step);
    PressKey(VK_TAB);
    ASSERT_TRUE(FocusReaches(tool_.main, kTabOrder[step % std::size(kTabOrder)]));
  }
  for (size_t step = 1; step <= std::size(kTabOrder); ++step) {
    SCOPED_TRACE(::testing::Message() << "Shift+Tab " << step);
    PressKey(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(FocusReaches(tool_.main, kTabOrder[(std::size(kTabOrder) - step) % std::size(kTabOrder)]));
  }
}

TEST_F(MainKeys, ModifiedTabShiftEscAndEnterAreLeftAlone) {
  struct Case {
    const char* name;
    WORD key;
    std::initializer_list<WORD> modifiers;
  };
  // Enter comes first, while the contact button has the focus: a button that took it for a
  // click would open the contact window.
  const Case cases[] = {
      {"Enter", VK_RETURN, {}},
      {"Ctrl+Tab", VK_TAB, {VK_CONTROL}},
      {"Ctrl+Shift+Tab", VK_TAB, {VK_CONTROL, VK_SHIFT}},
      {"Shift+Esc", VK_ESCAPE, {VK_SHIFT}},
      {"Enter in a box", VK_RETURN, {}},
  };
  PressKey(VK_TAB, {VK_SHIFT});
  ASSERT_TRUE(FocusReaches(tool_.main, kContactButton));
  size_t at = std::size(kTabOrder) - 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PressKey(c.key, c.modifiers);
    // A bare Tab afterwards moves exactly one step from where the focus was, so the key before
    // it neither moved the focus nor did anything that took the keyboard elsewhere.
    PressKey(VK_TAB);
    at = (at + 1) % std::size(kTabOrder);
    ASSERT_TRUE(FocusReaches(tool_.main, kTabOrder[at]));
    EXPECT_TRUE(tool_.process.Running());
    EXPECT_EQ(ContactWindow(tool_), nullptr);
  }
}

TEST_F(MainKeys, FocusComesBackToTheControlThatHadItBeforeDeactivation) {
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  ASSERT_TRUE(FocusReaches(tool_.main, kClassBox));

  OtherWindow other;
  ASSERT_TRUE(BringToFront(other.hwnd()));
  ASSERT_TRUE(BringToFront(tool_.main));
  EXPECT_TRUE(FocusReaches(tool_.main, kClassBox));
  PressKey(VK_TAB);
  EXPECT_TRUE(FocusReaches(tool_.main, kTitleBox));
}

TEST_F(MainKeys, KeyCodeShowsTheSignedFirstByteOfTheBox) {
  HWND box = MainControl(tool_.main, kKeyCodeBox);
  TypeText("a");
  ASSERT_TRUE(CaptionReads(tool_.main, "97"));

  // The box takes one character. Shift+Home after the refused one shows, by its selection,
  // that the refused character has been handled.
  TypeText("b");
  PressKey(VK_HOME, {VK_SHIFT});
  ASSERT_TRUE(WaitUntil([&] {
    DWORD start = 1, end = 0;
    SendMessageTimeoutA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return start == 0 && end == 1;
  }));
  EXPECT_EQ(WindowText(box), "a");
  EXPECT_EQ(WindowText(MainControl(tool_.main, kKeyCodeLabel)), "97");

  TypeText("1");
  EXPECT_TRUE(CaptionReads(tool_.main, "49"));
  PressKey(VK_BACK);
  EXPECT_TRUE(CaptionReads(tool_.main, "0"));
  EXPECT_EQ(WindowText(box), "");

  // Typing a double-byte character reaches the box as "?" under Wine, so the text is set
  // directly; the box reports that change as it reports typing.
  SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\xD6\xD0"), SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_TRUE(CaptionReads(tool_.main, "-42"));
}

TEST(MainWindowKeys, EscClosesTheWindowWhicheverControlHasTheFocus) {
  for (size_t tabs : {0u, 1u, 6u, 7u}) {
    SCOPED_TRACE(::testing::Message() << "focus on list position " << kTabOrder[tabs]);
    Tool tool = StartTool();
    ASSERT_TRUE(tool.main);
    ASSERT_TRUE(BringToFront(tool.main));
    ASSERT_TRUE(FocusReaches(tool.main, kKeyCodeBox));
    for (size_t i = 0; i < tabs; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(FocusReaches(tool.main, kTabOrder[tabs]));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(tool.process.WaitForExit(), 0u);
  }
}

// A copy started from the Unix side with the given locale (Wine only). A Wine process keeps
// the locale of the Wine process that created it, whatever its environment block says, so the
// copy is started through start.exe /unix and env(1) and found afterwards by its image path.
class CopyInLocale {
 public:
  CopyInLocale(const std::string& exe, const std::string& locale) {
    std::string commandLine = "start.exe /unix /usr/bin/env LC_ALL=" + locale + " wine \"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION starter{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &starter))
      return;
    CloseHandle(starter.hThread);
    CloseHandle(starter.hProcess);
    WaitUntil([&] { return (main_ = FindMainWindow(exe)) != nullptr; });
  }
  CopyInLocale(const CopyInLocale&) = delete;
  CopyInLocale& operator=(const CopyInLocale&) = delete;
  ~CopyInLocale() {
    DWORD id = 0;
    if (!main_ || !GetWindowThreadProcessId(main_, &id)) return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }

  HWND main() const { return main_; }

 private:
  struct Search {
    const std::string* exe;
    HWND found;
  };

  static BOOL CALLBACK Match(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || ClassName(window) != "VantrelFrame") return TRUE;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return TRUE;
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool same = QueryFullProcessImageNameA(process, 0, path, &size) && lstrcmpiA(path, search->exe->c_str()) == 0;
    CloseHandle(process);
    if (!same) return TRUE;
    search->found = window;
    return FALSE;
  }

  static HWND FindMainWindow(const std::string& exe) {
    Search search{&exe, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND main_ = nullptr;
};

TEST(MainWindowKeys, AccentedLetterUnderCodePage1252ShowsMinus23) {
  // Under Wine a process's code page follows the Unix locale it starts with; on Windows it is
  // the system's, and one process cannot be given another.
  if (!RunningUnderWine()) GTEST_SKIP() << "the code page of one process can only be chosen under Wine";
  const std::string directory = ScratchDirectory();
  const std::string exe = directory + "\\vantrel.exe";
  ASSERT_TRUE(CopyFileA((BuildDirectory() + "\\vantrel.exe").c_str(), exe.c_str(), FALSE));
  CopyInLocale program(exe, "en_US.UTF-8");
  HWND main = program.main();
  ASSERT_TRUE(main);
  // The GBK title bytes mean other characters in code page 1252, so it no longer reads as GBK.
  ASSERT_NE(WindowText(main), "Vantrel\xD6\xFA\xCA\xD6 ");
  ASSERT_TRUE(BringToFront(main));
  ASSERT_TRUE(FocusReaches(main, kKeyCodeBox));

  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = 0x00E9;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
  }
  inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
  EXPECT_TRUE(CaptionReads(main, "-23"));
}

}  // namespace
