// Sampling end to end: F1 and F2 switch the real program's sampling, and its six boxes show the
// window under the cursor among the fixture program's windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/fixtures/fixture.h"

namespace {

using namespace e2e;

// The boxes' places in the main window's list of children.
constexpr size_t kHandleBox = 16, kClassBox = 15, kTitleBox = 14, kXBox = 13, kYBox = 5, kProcessBox = 2,
                 kKeyCodeBox = 18;

// How long a check that nothing changes keeps looking.
constexpr Duration kObservation = 500;

// Returns once the program has handled every message posted to it before the call, and so
// the tick that was under way: the modify flag posted to a box that no tick writes comes back
// set. A key's WM_HOTKEY is among those messages once SendInput returns under Wine, which
// queues it right away; on Windows the input thread may still be on its way with it.
bool PostedMessagesHandled(HWND main) {
  HWND box = MainControl(main, kKeyCodeBox);
  DWORD_PTR modified = 0;
  if (!SendMessageTimeoutA(box, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, kDeadline, &modified) ||
      !PostMessageA(box, EM_SETMODIFY, TRUE, 0))
    return false;
  return WaitUntil([&] {
    return SendMessageTimeoutA(box, EM_GETMODIFY, 0, 0, SMTO_NORMAL, kDeadline, &modified) && modified;
  });
}

struct Boxes {
  std::string handle, className, title, x, y, process;
  bool operator==(const Boxes&) const = default;
};

std::string Abbreviated(const std::string& text) {
  std::string shown(1, '"');
  if (text.size() <= 60) return shown.append(text).append(1, '"');
  return shown.append(text, 0, 40).append("...\" (").append(std::to_string(text.size())).append(" bytes)");
}

std::ostream& operator<<(std::ostream& out, const Boxes& b) {
  return out << "{handle " << Abbreviated(b.handle) << ", class " << Abbreviated(b.className) << ", title "
             << Abbreviated(b.title) << ", x " << Abbreviated(b.x) << ", y " << Abbreviated(b.y)
             << ", process " << Abbreviated(b.process) << "}";
}

Boxes ReadBoxes(HWND main) {
  return {WindowText(MainControl(main, kHandleBox)), WindowText(MainControl(main, kClassBox)),
          WindowText(MainControl(main, kTitleBox)),  WindowText(MainControl(main, kXBox)),
          WindowText(MainControl(main, kYBox)),      WindowText(MainControl(main, kProcessBox))};
}

std::string Decimal(HWND window) {
  return std::to_string(static_cast<int32_t>(reinterpret_cast<uintptr_t>(window)));
}

Boxes Expected(HWND window, const std::string& className, const std::string& title, POINT at,
               const std::string& process) {
  return {Decimal(window), className, title, std::to_string(at.x), std::to_string(at.y), process};
}

// Waits until the boxes show `expected`; on failure the message tells what they showed.
::testing::AssertionResult BoxesBecome(HWND main, const Boxes& expected) {
  Boxes seen;
  if (WaitUntil([&] { return (seen = ReadBoxes(main)) == expected; })) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the boxes show " << seen << "\n  instead of " << expected;
}

// Watches the boxes for a while, moving the cursor to each point of `path` in turn (if given)
// meanwhile; true when they kept showing `expected` all along.
::testing::AssertionResult BoxesStay(HWND main, const Boxes& expected, const std::vector<POINT>& path = {}) {
  const ULONGLONG end = GetTickCount64() + kObservation;
  for (size_t step = 0; step < path.size() || GetTickCount64() < end; ++step) {
    if (step < path.size()) MoveCursor(path[step].x, path[step].y);
    const Boxes seen = ReadBoxes(main);
    if (!(seen == expected))
      return ::testing::AssertionFailure() << "the boxes changed to " << seen << "\n  from " << expected;
    Sleep(20);
  }
  return ::testing::AssertionSuccess();
}

const Boxes kEmptyBoxes{};

// A running fixture program and the windows it published, by name.
struct Fixture {
  Process process;
  std::string exe;  // its file name
  std::map<std::string, HWND> windows;

  HWND operator[](const std::string& name) const {
    const auto it = windows.find(name);
    return it == windows.end() ? nullptr : it->second;
  }
};

// Spots over the fixture's plain boxes that the switching tests move between.
constexpr POINT kInner{40, 45}, kBlank{60, 290}, kCover{180, 230};

// The boxes over one of the fixture's plain boxes (its title is its name; "blank" has none).
Boxes OverBox(const Fixture& host, const std::string& name, POINT at) {
  return Expected(host[name], fixture::kBoxClass, name == "blank" ? "" : name, at, "fixture.exe");
}

std::map<std::string, HWND> ReadPublished(const std::string& path) {
  std::map<std::string, HWND> windows;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return windows;
  std::string text(65536, '\0');
  DWORD read = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(file);
  text.resize(read);
  bool ready = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    const size_t space = line.find(' ');
    if (line == fixture::kReady) ready = true;
    else if (space != std::string::npos)
      windows[line.substr(0, space)] = reinterpret_cast<HWND>(std::strtoul(line.c_str() + space + 1, nullptr, 10));
  }
  if (!ready) windows.clear();
  return windows;
}

// Starts a copy of the fixture under the file name `exe` in a scratch directory and waits
// for the handles of its windows.
Fixture StartFixture(const std::string& exe = "fixture.exe", const std::string& arguments = "") {
  Fixture fixture;
  fixture.exe = exe;
  const std::string directory = ScratchDirectory();
  const std::string path = directory + "\\" + exe;
  const std::string published = directory + "\\windows.txt";
  CopyFileA((BuildDirectory() + "\\fixture.exe").c_str(), path.c_str(), FALSE);
  fixture.process = Process::Start(path, arguments + " --publish \"" + published + "\"", directory);
  WaitUntil([&] { return !(fixture.windows = ReadPublished(published)).empty() || !fixture.process.Running(); });
  return fixture;
}

// A second fixture copy under another file name, whose windows live in the host's windows.
Fixture StartGuest(const Fixture& host) {
  return StartFixture("fixture-guest.exe", "--guest " + Decimal(host["main"]));
}

struct Case {
  const char* what;
  POINT at;           // screen coordinates
  const char* owner;  // "host" or "guest": the fixture copy that published the window
  const char* window;
  std::string className, title;
  const char* process;  // the copy whose file name the process box shows
  const char* reportedByPoint;  // what WindowFromPoint itself finds there, when it differs
};

std::vector<Case> Cases() {
  using namespace fixture;
  return {
      {"the smaller sibling below the frame", {40, 45}, "host", "inner", kBoxClass, "inner", "host", "frame"},
      {"the frame where no sibling below it is", {180, 100}, "host", "frame", "Button", "Frame", "host", nullptr},
      {"of two equal siblings the upper", {50, 180}, "host", "equal1", kBoxClass, "equal one", "host", "cover"},
      {"the lower one where only it is", {90, 195}, "host", "equal2", kBoxClass, "equal two", "host", "cover"},
      {"the cover alone", {180, 230}, "host", "cover", kBoxClass, "cover", "host", nullptr},
      {"a window without text", {60, 290}, "host", "blank", kBoxClass, "", "host", nullptr},
      {"a class name of 255 bytes, as its first 254", {60, 390}, "host", "long-class",
       LongClassName().substr(0, 254), "long class", "host", nullptr},
      {"a negative text length as no title", {60, 440}, "host", "negative", kNegativeClass, "", "host", nullptr},
      {"a child of another process's window", {60, 490}, "guest", "child", kBoxClass, "guest child", "host", nullptr},
      {"a pop-up owned by another process's window", {180, 490}, "guest", "popup", kBoxClass, "guest popup", "host", nullptr},
      {"a top-level window of the second copy", {750, 350}, "guest", "own", kBoxClass, "guest window", "guest", nullptr},
      {"the fixture's main window", {300, 600}, "host", "main", kMainClass, kMainTitle, "host", nullptr},
  };
}

TEST(Sampling, BoxesShowTheWindowUnderTheCursor) {
  Fixture host = StartFixture();
  ASSERT_FALSE(host.windows.empty());
  Fixture guest = StartGuest(host);
  ASSERT_FALSE(guest.windows.empty());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);

  PressKey(VK_F1);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    const Fixture& owner = std::string(c.owner) == "host" ? host : guest;
    const Fixture& process = std::string(c.process) == "host" ? host : guest;
    HWND window = owner[c.window];
    ASSERT_TRUE(window);
    // The cases rest on these: what the platform finds at the point, and which process the
    // window itself belongs to.
    EXPECT_EQ(WindowFromPoint(c.at), c.reportedByPoint ? owner[c.reportedByPoint] : window);
    DWORD windowProcess = 0;
    GetWindowThreadProcessId(window, &windowProcess);
    EXPECT_EQ(windowProcess, owner.process.id());

    MoveCursor(c.at.x, c.at.y);
    EXPECT_TRUE(BoxesBecome(tool.main, Expected(window, c.className, c.title, c.at, process.exe)));
  }
}

TEST(Sampling, F2FreezesTheBoxesAndF1Resumes) {
  Fixture host = StartFixture();
  ASSERT_FALSE(host.windows.empty());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);

  MoveCursor(kInner.x, kInner.y);
  PressKey(VK_F1);
  ASSERT_TRUE(BoxesBecome(tool.main, OverBox(host, "inner", kInner)));
  // F1 while sampling leaves it on.
  PressKey(VK_F1);
  MoveCursor(kBlank.x, kBlank.y);
  const Boxes atBlank = OverBox(host, "blank", kBlank);
  ASSERT_TRUE(BoxesBecome(tool.main, atBlank));

  PressKey(VK_F2);
  ASSERT_TRUE(PostedMessagesHandled(tool.main));
  EXPECT_TRUE(BoxesStay(tool.main, atBlank, {kInner, kCover, {300, 600}, {700, 100}}));

  MoveCursor(kCover.x, kCover.y);
  PressKey(VK_F1);
  EXPECT_TRUE(BoxesBecome(tool.main, OverBox(host, "cover", kCover)));
}

TEST(Sampling, OnlyTheBareKeysCount) {
  Fixture host = StartFixture();
  ASSERT_FALSE(host.windows.empty());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  const Boxes atInner = OverBox(host, "inner", kInner);
  const Boxes atBlank = OverBox(host, "blank", kBlank);
  MoveCursor(kInner.x, kInner.y);

  const struct {
    const char* name;
    WORD key;
  } kModifiers[] = {{"Ctrl", VK_CONTROL}, {"Alt", VK_MENU}, {"Shift", VK_SHIFT}};
  for (const auto& m : kModifiers) {
    SCOPED_TRACE(std::string(m.name) + "+F1");
    PressKey(VK_F1, {m.key});
    ASSERT_TRUE(PostedMessagesHandled(tool.main));
    EXPECT_TRUE(BoxesStay(tool.main, kEmptyBoxes));
  }
  // The bare key right after them does start sampling.
  PressKey(VK_F1);
  ASSERT_TRUE(BoxesBecome(tool.main, atInner));

  for (const auto& m : kModifiers) {
    SCOPED_TRACE(std::string(m.name) + "+F2");
    PressKey(VK_F2, {m.key});
    MoveCursor(kBlank.x, kBlank.y);
    EXPECT_TRUE(BoxesBecome(tool.main, atBlank));  // still sampling
    MoveCursor(kInner.x, kInner.y);
    EXPECT_TRUE(BoxesBecome(tool.main, atInner));
  }
}

TEST(Sampling, ASecondCopyGetsNeitherKey) {
  Fixture host = StartFixture();
  ASSERT_FALSE(host.windows.empty());
  Tool first = StartTool();
  ASSERT_TRUE(first.main);
  Tool second = StartTool();
  ASSERT_TRUE(second.main);

  MoveCursor(kInner.x, kInner.y);
  PressKey(VK_F1);
  ASSERT_TRUE(BoxesBecome(first.main, OverBox(host, "inner", kInner)));
  EXPECT_TRUE(BoxesStay(second.main, kEmptyBoxes));

  MoveCursor(kBlank.x, kBlank.y);
  const Boxes atBlank = OverBox(host, "blank", kBlank);
  ASSERT_TRUE(BoxesBecome(first.main, atBlank));
  PressKey(VK_F2);
  ASSERT_TRUE(PostedMessagesHandled(first.main));
  EXPECT_TRUE(BoxesStay(first.main, atBlank, {kInner, kCover}));
  EXPECT_TRUE(BoxesStay(second.main, kEmptyBoxes, {kInner, kCover}));

  MoveCursor(kCover.x, kCover.y);
  PressKey(VK_F1);
  EXPECT_TRUE(BoxesBecome(first.main, OverBox(host, "cover", kCover)));
  EXPECT_TRUE(BoxesStay(second.main, kEmptyBoxes));
}

// The length of a box's text, waiting as long as it takes the program to get to the question.
LRESULT PatientTextLength(HWND box) {
  DWORD_PTR length = 0;
  return SendMessageTimeoutA(box, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length) ? static_cast<LRESULT>(length) : -1;
}

TEST(Sampling, ATitleOf100000BytesIsShownWhole) {
  Fixture host = StartFixture("fixture.exe", "--long-title");
  ASSERT_FALSE(host.windows.empty());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  const POINT at{60, 340};
  HWND titleBox = MainControl(tool.main, kTitleBox);

  MoveCursor(at.x, at.y);
  PressKey(VK_F1);
  // Wine's edit control takes its text in time that grows with the square of the length
  // (some 12 s for these 100,000 bytes, where Windows takes milliseconds), so the boxes are
  // read once sampling has stopped: the question after F2 is answered after the tick under
  // way, and no tick starts before F2 has been handled.
  EXPECT_TRUE(WaitUntil([&] { return PatientTextLength(titleBox) == static_cast<LRESULT>(fixture::kLongTitleLength); }, 60000));
  PressKey(VK_F2);
  PatientTextLength(titleBox);
  EXPECT_TRUE(BoxesBecome(tool.main, Expected(host["long-title"], fixture::kLongTitleClass, fixture::LongTitle(), at, "fixture.exe")));
}

TEST(Sampling, AHungWindowLeavesTheTitleEmptyAndTheCursorBoxesFollow) {
  Fixture host = StartFixture();
  ASSERT_FALSE(host.windows.empty());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  HWND hung = host["hung"];
  ASSERT_TRUE(hung);

  POINT at{700, 100};
  MoveCursor(at.x, at.y);
  PressKey(VK_F1);
  ASSERT_TRUE(BoxesBecome(tool.main, Expected(hung, fixture::kHungClass, fixture::kHungTitle, at, "fixture.exe")));

  // The window stops answering while the program looks elsewhere, and the cursor comes back
  // once the platform counts its thread as hung (after 5 s without taking messages). Wine's
  // SendMessageTimeout waits for a busy thread whatever its timeout, so a program that asked
  // in those first seconds would wait for as long as the thread hangs.
  MoveCursor(kBlank.x, kBlank.y);
  ASSERT_TRUE(BoxesBecome(tool.main, OverBox(host, "blank", kBlank)));
  ASSERT_TRUE(PostMessageA(hung, fixture::kHangMessage, 0, 0));  // for good: the test ends the fixture
  ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(hung) != FALSE; }, 15000));

  MoveCursor(at.x, at.y);
  EXPECT_TRUE(BoxesBecome(tool.main, Expected(hung, fixture::kHungClass, "", at, "fixture.exe")));
  for (int step = 1; step <= 6; ++step) {
    at = {700 + 40 * step, 100 + 20 * step};
    SCOPED_TRACE("step " + std::to_string(step));
    MoveCursor(at.x, at.y);
    EXPECT_TRUE(BoxesBecome(tool.main, Expected(hung, fixture::kHungClass, "", at, "fixture.exe")));
  }
}

TEST(Sampling, NoWindowAtTheCursor) {
  // The program shows 0, 255 blanks and two empty boxes when the platform finds no window at
  // the cursor. A desktop always has a window at every point the cursor can reach: the desktop
  // window itself (Wine's virtual desktop), or the shell's window on Windows.
  const POINT corners[] = {{0, 0},
                           {GetSystemMetrics(SM_CXSCREEN) - 1, 0},
                           {0, GetSystemMetrics(SM_CYSCREEN) - 1},
                           {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1}};
  const POINT* empty = nullptr;
  for (const POINT& corner : corners)
    if (!WindowFromPoint(corner)) empty = &corner;
  if (!empty) GTEST_SKIP() << "every point of this desktop belongs to a window, so there is no spot without one";

  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  MoveCursor(empty->x, empty->y);
  PressKey(VK_F1);
  EXPECT_TRUE(BoxesBecome(tool.main, {"0", std::string(255, ' '), "", std::to_string(empty->x),
                                      std::to_string(empty->y), ""}));
}

}  // namespace
