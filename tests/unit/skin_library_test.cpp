// SkinH_EL.dll loaded into a test process, as the program loads it: what it skins and what it
// leaves alone, read back from the screen; bad skin files; the glass effect; unloading while
// skinned windows live on; and the caption buttons under real mouse input.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "skin/library/skin_format.h"
#include "skin/skin_data.h"

namespace {

using AttachFn = BOOL(WINAPI*)(const char*, const char*);
using AeroFn = BOOL(WINAPI*)(int);

constexpr char kStateProperty[] = "VantrelSkinState";

std::string TempDirectory() {
  char buffer[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, buffer);
  std::string directory = std::string(buffer, length) + "vantrel-skin-test\\";
  CreateDirectoryA(directory.c_str(), nullptr);
  return directory;
}

bool WriteFileBytes(const std::string& path, const void* bytes, size_t count) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr);
  CloseHandle(file);
  return ok && written == count;
}

// The library as the program writes it out: the shipped, padded bytes. A run of an earlier test
// process may still have the file open, and then it holds these same bytes already.
std::string LibraryPath() {
  const std::string path = TempDirectory() + "SkinH_EL.dll";
  const ByteArray library = SkinLibraryData();
  WriteFileBytes(path, library.bytes, library.count);
  return path;
}

std::string SkinPath() {
  const std::string path = TempDirectory() + "skn.she";
  const ByteArray skin = OwnSkinFileData(16);
  EXPECT_TRUE(WriteFileBytes(path, skin.bytes, skin.count));
  return path;
}

struct Library {
  HMODULE module = nullptr;
  AttachFn attach = nullptr;
  AeroFn aero = nullptr;

  bool Load() {
    module = LoadLibraryA(LibraryPath().c_str());
    if (!module) return false;
    attach = reinterpret_cast<AttachFn>(reinterpret_cast<void*>(GetProcAddress(module, "SkinH_AttachEx")));
    aero = reinterpret_cast<AeroFn>(reinterpret_cast<void*>(GetProcAddress(module, "SkinH_SetAero")));
    return attach && aero;
  }
};

SkinView Skin16() {
  const ByteArray file = OwnSkinFileData(16);
  SkinView view{};
  EXPECT_EQ(SkinParse(file.bytes, file.count, &view), kSkinOk);
  return view;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  for (;;) {
    Pump();
    if (condition()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// Waits until the screen shows the colour, and says what it showed last when it never does.
::testing::AssertionResult ShowsColour(int x, int y, COLORREF expected) {
  COLORREF seen = CLR_INVALID;
  if (WaitFor([&] { return (seen = ScreenPixel(x, y)) == expected; })) return ::testing::AssertionSuccess();
  char text[96];
  std::snprintf(text, sizeof text, "pixel (%d, %d) is %06lX, not %06lX", x, y, static_cast<unsigned long>(seen),
                static_cast<unsigned long>(expected));
  return ::testing::AssertionFailure() << text;
}

// What a window of this test process saw.
int g_closeMessages;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      // As the program fills its backgrounds: the system face colour at the moment of use.
      RECT client;
      GetClientRect(hwnd, &client);
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetDCBrushColor(dc, GetSysColor(COLOR_BTNFACE));
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      return 1;
    }
    case WM_CTLCOLOREDIT:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_CLOSE:
      ++g_closeMessages;
      DestroyWindow(hwnd);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA cls{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &cls)) return;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = proc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.lpszClassName = name;
  ASSERT_NE(RegisterClassA(&cls), 0);
}

class SkinLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Register("VantrelFrame", FrameProc);
    Register("VantrelOwner", PlainProc);
    Register("VantrelTimer", PlainProc);
    // The pointer stays off every window so that nothing is drawn hot.
    SetCursorPos(1020, 760);
  }

  void TearDown() override {
    for (HWND hwnd : windows_)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump();
  }

  HWND Frame(int x, int y, int width, int height, DWORD style) {
    HWND hwnd = CreateWindowExA(0, "VantrelFrame", "", style | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y,
                                width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }

  HWND Child(HWND parent, const char* cls, DWORD style, DWORD exStyle, int x, int y, int w, int h) {
    HWND hwnd = CreateWindowExA(exStyle, cls, "OK", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }

  static void Show(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == hwnd; }));
  }

  std::vector<HWND> windows_;
};

// The caption's place on the screen, measured the way the library measures it.
struct Caption {
  RECT window;
  int left, top, width, height;
};

Caption CaptionOf(HWND hwnd) {
  Caption c{};
  RECT client;
  GetWindowRect(hwnd, &c.window);
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int border = c.window.bottom - client.bottom;
  c.left = client.left;
  c.top = c.window.top + border;
  c.width = client.right - client.left;
  c.height = client.top - c.top;
  return c;
}

// The skin's colour for a caption pixel at (dx, dy) from the caption's corner, and where that is.
::testing::AssertionResult CaptionShows(HWND hwnd, const SkinView& skin, int dx, int dy, bool glass) {
  const Caption c = CaptionOf(hwnd);
  if (c.height <= 0) return ::testing::AssertionFailure() << "no caption";
  return ShowsColour(c.left + dx, c.top + dy, SkinCaptionColour(skin, dx, dy, c.height, true, glass));
}

TEST_F(SkinLibraryTest, ShippedBytesLoadAndExportBothEntriesUndecorated) {
  HMODULE module = LoadLibraryA(LibraryPath().c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "SkinH_AttachEx"), nullptr);
  EXPECT_NE(GetProcAddress(module, "SkinH_SetAero"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "SkinH_AttachEx@8"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "_SkinH_SetAero@4"), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(SkinLibraryTest, SkinsFramesButtonsAndEditsMadeBeforeAndAfterAttaching) {
  const SkinView skin = Skin16();
  Library library;
  ASSERT_TRUE(library.Load());

  struct Made {
    HWND frame, button, edit;
  };
  auto make = [&](int x) {
    HWND frame = Frame(x, 40, 240, 404, WS_MINIMIZEBOX);
    return Made{frame, Child(frame, "BUTTON", BS_PUSHBUTTON, 0, 20, 60, 100, 28),
                Child(frame, "EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 20, 20, 120, 24)};
  };
  const Made before = make(40);
  ASSERT_TRUE(library.attach(SkinPath().c_str(), ""));
  const Made after = make(400);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), skin.palette[kSkinFace]);

  for (const Made& made : {before, after}) {
    SCOPED_TRACE(made.frame == before.frame ? "made before attaching" : "made after attaching");
    Show(made.frame);
    RECT client;
    GetClientRect(made.frame, &client);
    POINT corner{client.right - 10, client.bottom - 10};
    ClientToScreen(made.frame, &corner);
    EXPECT_TRUE(ShowsColour(corner.x, corner.y, skin.palette[kSkinFace]));
    EXPECT_TRUE(CaptionShows(made.frame, skin, 40, CaptionOf(made.frame).height / 2, false));
    EXPECT_TRUE(CaptionShows(made.frame, skin, 90, 1, false));

    RECT button;
    GetWindowRect(made.button, &button);
    const int height = button.bottom - button.top;
    EXPECT_TRUE(ShowsColour(button.left + 2, button.top + height / 2,
                            SkinButtonColour(skin, kSkinStripButtonNormal, height / 2, height)));

    RECT edit;
    GetWindowRect(made.edit, &edit);
    const int middle = (edit.top + edit.bottom) / 2;
    EXPECT_TRUE(ShowsColour(edit.left, middle, skin.palette[kSkinShadow]));
    EXPECT_TRUE(ShowsColour(edit.left + 1, middle, skin.palette[kSkinDarkShadow]));
    EXPECT_TRUE(ShowsColour(edit.right - 1, middle, skin.palette[kSkinHighlight]));
    // The colour the program gives the edit box stays.
    EXPECT_TRUE(ShowsColour((edit.left + edit.right) / 2, middle, RGB(255, 255, 255)));
  }
}

TEST_F(SkinLibraryTest, RefusesBadSkinFilesAndChangesNothing) {
  Library library;
  ASSERT_TRUE(library.Load());
  const std::string dir = TempDirectory();
  const ByteArray good = OwnSkinFileData(16);
  std::vector<uint8_t> flipped(good.bytes, good.bytes + good.count);
  flipped[flipped.size() / 2] ^= 0x10;
  std::vector<uint8_t> noise(4096);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  std::vector<uint8_t> huge(2u << 20);
  std::copy(good.bytes, good.bytes + good.count, huge.begin());

  struct Bad {
    const char* what;
    std::string path;
    std::vector<uint8_t> bytes;
    bool write;
  };
  const std::string pipe = "\\\\.\\pipe\\vantrel-skin-test-" + std::to_string(GetCurrentProcessId());
  // A pipe with no writer: reading it would wait forever.
  HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const Bad cases[] = {
      {"missing file", dir + "missing.she", {}, false},
      {"a directory", dir, {}, false},
      {"an empty file", dir + "empty.she", {}, true},
      {"a truncated file", dir + "truncated.she", std::vector<uint8_t>(good.bytes, good.bytes + good.count - 100), true},
      {"one bit changed", dir + "flipped.she", flipped, true},
      {"not a skin at all", dir + "noise.she", noise, true},
      {"a file bigger than any skin", dir + "huge.she", huge, true},
      {"a pipe", pipe, {}, false},
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (const Bad& bad : cases) {
    if (bad.write) {
      ASSERT_TRUE(WriteFileBytes(bad.path, bad.bytes.data(), bad.bytes.size())) << bad.what;
    }
    EXPECT_FALSE(library.attach(bad.path.c_str(), "")) << bad.what;
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), face) << bad.what;
  }
  EXPECT_FALSE(library.attach(nullptr, nullptr));
  EXPECT_FALSE(library.attach("", ""));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), face);
  CloseHandle(server);
}

TEST_F(SkinLibraryTest, LeavesTheProgramsHiddenWindowsAndOtherClassesAlone) {
  Library library;
  ASSERT_TRUE(library.Load());
  const std::string skin = SkinPath();
  struct Case {
    const char* cls;
    bool insideFrame;
    DWORD style;
    bool skinned;
  };
  const Case cases[] = {
      {"VantrelOwner", false, 0, false},
      {"VantrelTimer", false, 0, false},
      {"VantrelTimer", true, WS_CHILD, false},
      {"BUTTON", false, WS_POPUP | BS_PUSHBUTTON, false},
      {"BUTTON", true, WS_CHILD | BS_AUTOCHECKBOX, false},
      {"STATIC", true, WS_CHILD, false},
      {"VantrelFrame", false, WS_CAPTION, true},
      {"BUTTON", true, WS_CHILD | BS_DEFPUSHBUTTON, true},
      {"Edit", true, WS_CHILD, true},
  };
  HWND frame = Frame(40, 40, 240, 404, 0);
  // Made both before attaching (found by enumeration) and after (seen by the hook); attaching a
  // second time enumerates again when this process attached in an earlier test.
  std::vector<std::pair<HWND, const Case*>> made;
  auto makeAll = [&] {
    for (const Case& c : cases) {
      HWND hwnd = CreateWindowExA(0, c.cls, "", c.style, 0, 0, 50, 20, c.insideFrame ? frame : nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
      ASSERT_NE(hwnd, nullptr) << c.cls;
      windows_.push_back(hwnd);
      made.push_back({hwnd, &c});
    }
  };
  makeAll();
  ASSERT_TRUE(library.attach(skin.c_str(), ""));
  makeAll();
  for (const auto& [hwnd, c] : made) {
    const bool skinned = GetPropA(hwnd, kStateProperty) != nullptr;
    EXPECT_EQ(skinned, c->skinned) << c->cls << (c->insideFrame ? " inside a frame" : "") << " style " << std::hex
                                   << c->style;
    if (!c->skinned && c->cls[0] == 'V') {
      EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc)) << c->cls;
    }
  }
}

TEST_F(SkinLibraryTest, SetAeroNeverFailsAndDrawsAGlassBandOnTheCaption) {
  const SkinView skin = Skin16();
  Library library;
  ASSERT_TRUE(library.Load());
  EXPECT_TRUE(library.aero(1));  // before any skin is attached (in a process of its own)
  ASSERT_TRUE(library.attach(SkinPath().c_str(), ""));
  HWND frame = Frame(40, 40, 240, 404, WS_MINIMIZEBOX);
  Show(frame);
  ASSERT_NE(SkinCaptionColour(skin, 60, 2, CaptionOf(frame).height, true, true),
            SkinCaptionColour(skin, 60, 2, CaptionOf(frame).height, true, false));

  for (int enable : {1, 0, 1, 7}) {
    SCOPED_TRACE(enable);
    EXPECT_TRUE(library.aero(enable));
    EXPECT_TRUE(CaptionShows(frame, skin, 60, 2, enable != 0));
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_TRUE(CaptionShows(frame, skin, 60, 2, enable != 0));
  }
  EXPECT_TRUE(library.aero(0));
}

TEST_F(SkinLibraryTest, FreeingTheLibraryWhileSkinnedWindowsLiveIsSafe) {
  const SkinView skin = Skin16();
  // As the program does: one LoadLibrary per entry it binds, one FreeLibrary each at the end.
  Library attachEntry, aeroEntry;
  ASSERT_TRUE(attachEntry.Load());
  ASSERT_TRUE(aeroEntry.Load());
  ASSERT_TRUE(attachEntry.attach(SkinPath().c_str(), ""));
  EXPECT_TRUE(aeroEntry.aero(0));
  HWND frame = Frame(40, 40, 240, 404, WS_MINIMIZEBOX);
  HWND button = Child(frame, "BUTTON", BS_PUSHBUTTON, 0, 20, 60, 100, 28);
  Show(frame);
  EXPECT_TRUE(FreeLibrary(attachEntry.module));
  EXPECT_TRUE(FreeLibrary(aeroEntry.module));

  // The hooks, window procedures and patched imports all still reach mapped code.
  SetWindowTextA(frame, "still here");
  SendMessageA(frame, WM_NCACTIVATE, FALSE, 0);
  SendMessageA(frame, WM_NCACTIVATE, TRUE, 0);
  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  SendMessageA(button, BM_SETSTATE, FALSE, 0);
  SetWindowPos(frame, nullptr, 60, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), skin.palette[kSkinFace]);
  EXPECT_TRUE(CaptionShows(frame, skin, 150, 1, false));

  HWND later = Frame(320, 40, 230, 81, 0);
  Show(later);
  EXPECT_NE(GetPropA(later, kStateProperty), nullptr);
  EXPECT_TRUE(CaptionShows(later, skin, 100, 1, false));
  EXPECT_TRUE(DestroyWindow(later));
  EXPECT_TRUE(DestroyWindow(frame));
  Pump();
}

// The middle of the rectangle the platform gives a caption button: slot 0 is the close button,
// 1 the maximize and 2 the minimize button.
POINT CaptionButtonCentre(HWND hwnd, int slot) {
  const Caption c = CaptionOf(hwnd);
  const int cx = GetSystemMetrics(SM_CXSIZE), cy = GetSystemMetrics(SM_CYSIZE);
  const int end = c.left + c.width;
  const int lefts[] = {end - cx, end - 2 * cx, end - 3 * cx + 2};
  const int rights[] = {end - 2, end - cx - 2, end - 2 * cx};
  return POINT{(lefts[slot] + rights[slot]) / 2, c.top + cy / 2};
}

// A press placed exactly where asked, held until the frame has taken the mouse for the caption
// button, then released.
void ClickCaptionButton(HWND hwnd, POINT at) {
  SetCursorPos(at.x, at.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &input, sizeof input);
  EXPECT_TRUE(WaitFor([&] { return GetCapture() == hwnd; })) << "the press at " << at.x << "," << at.y
                                                              << " did not start tracking a caption button";
  input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
}

TEST_F(SkinLibraryTest, CaptionButtonsMinimizeAndCloseUnderTheMouse) {
  const SkinView skin = Skin16();
  Library library;
  ASSERT_TRUE(library.Load());
  ASSERT_TRUE(library.attach(SkinPath().c_str(), ""));
  HWND main = Frame(40, 40, 240, 404, WS_MINIMIZEBOX);
  HWND contact = Frame(400, 40, 230, 81, 0);

  Show(main);
  const POINT close = CaptionButtonCentre(main, 0);
  EXPECT_EQ(SendMessageA(main, WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLOSE);
  const POINT minimize = CaptionButtonCentre(main, 2);
  EXPECT_EQ(SendMessageA(main, WM_NCHITTEST, 0, MAKELPARAM(minimize.x, minimize.y)), HTMINBUTTON);
  // The button under the pointer is drawn hot, in the skin's colour for it.
  SetCursorPos(close.x, close.y);
  const RECT window = CaptionOf(main).window;
  EXPECT_TRUE(WaitFor([&] { return ScreenPixel(close.x - 5, close.y) == skin.palette[kSkinCloseHot]; }))
      << "close button not drawn hot, pixel " << std::hex << ScreenPixel(close.x - 5, close.y) << " in window at "
      << std::dec << window.left << "," << window.top;

  ClickCaptionButton(main, minimize);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(main) != 0; }));
  ShowWindow(main, SW_RESTORE);

  Show(contact);
  const int closes = g_closeMessages;
  ClickCaptionButton(contact, CaptionButtonCentre(contact, 0));
  EXPECT_TRUE(WaitFor([&] { return g_closeMessages == closes + 1 && !IsWindow(contact); }));
  SetCursorPos(1020, 760);
}

}  // namespace
