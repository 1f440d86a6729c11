// The real main window against its layout, its painting, its closing and the fatal error box.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

using namespace e2e;

struct ChildRow {
  const char* kind;  // class name
  int left, top, width, height;
  const char* text;
  bool fontA;  // a single-line box of font A may grow to fit a double-byte character
};

// List order is z-order: the first row is the topmost child.
constexpr ChildRow kChildren[] = {
    {"Button", 0, 0, 72, 16, "联系作者", false},
    {"VantrelLabel", 159, 216, 72, 24, "进程名", false},
    {"Edit", 0, 217, 143, 24, "", false},
    {"VantrelLabel", 16, 13, 208, 35, "F1 开始获取窗口数据      F2 停止", false},
    {"VantrelLabel", 16, 343, 104, 24, "键代码查看：", false},
    {"Edit", 139, 294, 63, 24, "", true},
    {"VantrelLabel", 125, 295, 16, 24, "Y", false},
    {"VantrelLabel", 17, 294, 16, 24, "X", false},
    {"VantrelTimer", 0, 362, 24, 16, "", false},
    {"VantrelLabel", 71, 262, 80, 24, "鼠标位置", false},
    {"VantrelLabel", 160, 167, 72, 24, "标题", false},
    {"VantrelLabel", 161, 113, 72, 29, "类名", false},
    {"VantrelLabel", 160, 60, 72, 28, "句柄", false},
    {"Edit", 28, 294, 63, 24, "", true},
    {"Edit", 1, 166, 143, 24, "", false},
    {"Edit", 1, 115, 143, 24, "", false},
    {"Edit", 1, 64, 143, 24, "", false},
    {"VantrelLabel", 172, 339, 72, 32, "请按键", false},
    {"Edit", 120, 343, 48, 24, "", true},
};

// The height the frame gives a single-line box: one double-byte character and the edges.
int FittedHeight(int layoutHeight, LONG fontHeight) {
  LOGFONTA font{};
  font.lfHeight = fontHeight;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = PROOF_QUALITY;
  HFONT handle = CreateFontIndirectA(&font);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  SIZE size{};
  GetTextExtentPoint32A(dc, "\xD6\xD0", 2, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(handle);
  return std::max(layoutHeight, static_cast<int>(size.cy) + 2 * GetSystemMetrics(SM_CYEDGE));
}

// The small icon in the title bar, found by the orange of its magnifying glass. (Wine answers
// WM_GETICON from another process with a failure, so the icon is looked for on the screen.)
bool CaptionShowsTheIcon(HWND window) {
  if (!BringToFront(window)) return false;
  const RECT r = WindowRect(window);
  const int bottom = r.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME);
  return WaitUntil([&] {
    for (int y = r.top; y < bottom; ++y)
      for (int x = r.left; x < r.left + 28; ++x) {
        const COLORREF c = ScreenPixel(x, y);
        if (GetRValue(c) > 200 && GetGValue(c) > 90 && GetGValue(c) < 170 && GetBValue(c) < 80) return true;
      }
    return false;
  }, 3000);
}

TEST(MainWindow, MatchesItsLayout) {
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);

  EXPECT_EQ(WindowText(tool.main), "Vantrel\xD6\xFA\xCA\xD6 ");
  const RECT outer = WindowRect(tool.main);
  EXPECT_EQ(outer.right - outer.left, 240);
  EXPECT_EQ(outer.bottom - outer.top, 404);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 240) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 404) / 2);

  const LONG style = GetWindowLongA(tool.main, GWL_STYLE);
  for (LONG bit : {WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, WS_CLIPCHILDREN}) EXPECT_EQ(style & bit, bit);
  for (DWORD bit : {DWORD{WS_MAXIMIZEBOX}, DWORD{WS_THICKFRAME}, DWORD{WS_POPUP}}) EXPECT_EQ(static_cast<DWORD>(style) & bit, 0u);
  EXPECT_EQ(GetWindowLongA(tool.main, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), 0);
  EXPECT_EQ(GetWindow(tool.main, GW_OWNER), nullptr);
  EXPECT_TRUE(CaptionShowsTheIcon(tool.main));

  const RECT client = ClientRectOnScreen(tool.main);
  const std::vector<HWND> children = Children(tool.main);
  ASSERT_EQ(children.size(), std::size(kChildren));
  for (size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE("child " + std::to_string(i + 1));
    const ChildRow& row = kChildren[i];
    HWND child = children[i];
    EXPECT_EQ(ClassName(child), row.kind);
    const RECT r = WindowRect(child);
    EXPECT_EQ(r.left - client.left, row.left);
    EXPECT_EQ(r.top - client.top, row.top);
    EXPECT_EQ(r.right - r.left, row.width);
    EXPECT_EQ(r.bottom - r.top, row.fontA ? FittedHeight(row.height, -19) : row.height);
    EXPECT_EQ(WindowText(child), row.text);

    const LONG childStyle = GetWindowLongA(child, GWL_STYLE);
    const LONG childEx = GetWindowLongA(child, GWL_EXSTYLE);
    EXPECT_EQ(childStyle & (WS_CHILD | WS_CLIPSIBLINGS), WS_CHILD | WS_CLIPSIBLINGS);
    EXPECT_EQ(childStyle & WS_DISABLED, 0);
    const std::string kind = row.kind;
    EXPECT_EQ((childStyle & WS_VISIBLE) != 0, kind != "VantrelTimer");
    if (kind == "Edit") {
      EXPECT_EQ(childStyle & (ES_AUTOHSCROLL | WS_TABSTOP), ES_AUTOHSCROLL | WS_TABSTOP);
      EXPECT_EQ(childStyle & (ES_MULTILINE | ES_NOHIDESEL | ES_READONLY | ES_PASSWORD), 0);
      EXPECT_EQ(childEx & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    } else if (kind == "Button") {
      EXPECT_EQ(childStyle & (BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP),
                BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP);
      EXPECT_EQ(childStyle & BS_TYPEMASK, BS_PUSHBUTTON);
    } else {
      EXPECT_EQ(childStyle & (WS_TABSTOP | WS_BORDER), 0);
      EXPECT_EQ(childEx & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME), 0);
    }
  }
}

TEST(MainWindow, ClosingEndsTheProcessWithZero) {
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  PostMessageA(tool.main, WM_CLOSE, 0, 0);
  EXPECT_EQ(tool.process.WaitForExit(), 0u);
}

TEST(MainWindow, SingleLineBoxCentresItsTextLine) {
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  HWND handleBox = MainControl(tool.main, 16);  // font B, 24 pixels high
  const RECT outer = WindowRect(handleBox);
  const RECT client = ClientRectOnScreen(handleBox);
  ASSERT_EQ(outer.bottom - outer.top, 24);
  const int edge = GetSystemMetrics(SM_CYEDGE);
  const int above = client.top - (outer.top + edge);
  const int below = (outer.bottom - edge) - client.bottom;
  EXPECT_GT(above, 0);
  EXPECT_LE(std::abs(above - below), 1);
  // Points in the strips belong to the border, not to the text.
  const POINT strip{(client.left + client.right) / 2, client.top - 1};
  EXPECT_EQ(SendMessageA(handleBox, WM_NCHITTEST, 0, MAKELPARAM(strip.x, strip.y)), HTBORDER);
}

TEST(MainWindow, LabelPaintsItsCaptionOnTheWindowBackground) {
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);
  ASSERT_TRUE(BringToFront(tool.main));
  HWND label = MainControl(tool.main, 12);  // "句柄" in 0x0060C0
  const RECT client = ClientRectOnScreen(tool.main);
  const RECT r = WindowRect(label);
  // An empty spot of the client area, right of the handle box and above its caption.
  const COLORREF background = ScreenPixel(client.left + 150, client.top + 52);
  bool sawText = false;
  int backgroundPixels = 0, total = 0;
  WaitUntil([&] {
    sawText = false;
    backgroundPixels = total = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = ScreenPixel(x, y);
        ++total;
        if (c == background) ++backgroundPixels;
        if (c == RGB(0xC0, 0x60, 0x00)) sawText = true;
      }
    return sawText;
  });
  EXPECT_TRUE(sawText);
  EXPECT_GT(backgroundPixels, total / 2);
  EXPECT_EQ(ScreenPixel(r.right - 2, r.top + 1), background);
}

TEST(MainWindow, FatalErrorShowsTheBoxAndEndsWithMinusOne) {
  // A directory where the library belongs makes both its write and its load fail.
  Tool tool = StartTool([](const std::string& dir) { CreateDirectoryA((dir + "\\SkinH_EL.dll").c_str(), nullptr); },
                        false);
  EXPECT_EQ(AnswerFatalErrorBox(tool), "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachEx”\r\n");
  EXPECT_EQ(tool.process.WaitForExit(), static_cast<DWORD>(-1));
}

}  // namespace
