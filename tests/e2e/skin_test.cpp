// The skin installation seen from outside: the files a start leaves, the skinned window, a
// start beside a copy that holds the library, and a library whose entry breaks the stack.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "skin/library/skin_format.h"
#include "tests/e2e/harness.h"

namespace {

using namespace e2e;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string TempSkinPath() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "skn.she";
}

TEST(Skin, FirstStartWritesBothFilesAndSkinsTheWindow) {
  DeleteFileA(TempSkinPath().c_str());
  Tool tool = StartTool();
  ASSERT_TRUE(tool.main);

  const std::string library = tool.directory + "\\SkinH_EL.dll";
  EXPECT_EQ(ReadFile(library).size(), 88576u);
  // Wine keeps the archive bit next to the hidden one (0x22); Windows reports hidden alone.
  EXPECT_NE(GetFileAttributesA(library.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  HMODULE image = LoadLibraryExA(library.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_TRUE(image);
  EXPECT_NE(GetProcAddress(image, "SkinH_AttachEx"), nullptr);
  EXPECT_NE(GetProcAddress(image, "SkinH_SetAero"), nullptr);
  FreeLibrary(image);

  const std::string skin = ReadFile(TempSkinPath());
  ASSERT_EQ(skin.size(), 18765u);
  EXPECT_EQ(skin.substr(0, 4), ".SHE");
  SkinView view{};
  ASSERT_EQ(SkinParse(reinterpret_cast<const uint8_t*>(skin.data()), static_cast<uint32_t>(skin.size()), &view), kSkinOk);

  // Every background drawn in the face colour follows the skin: the client area and a label.
  ASSERT_TRUE(BringToFront(tool.main));
  const RECT client = ClientRectOnScreen(tool.main);
  const COLORREF face = view.palette[kSkinFace];
  EXPECT_NE(face, GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(client.left + 150, client.top + 52) == face; }, 5000));
  const RECT label = WindowRect(MainControl(tool.main, 12));
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(label.right - 2, label.top + 1) == face; }, 5000));
  // The edit boxes keep their own white.
  const RECT box = ClientRectOnScreen(MainControl(tool.main, 16));
  EXPECT_EQ(ScreenPixel(box.right - 3, (box.top + box.bottom) / 2), RGB(255, 255, 255));

  PostMessageA(tool.main, WM_CLOSE, 0, 0);
  EXPECT_EQ(tool.process.WaitForExit(), 0u);
}

TEST(Skin, SecondCopyLoadsTheLibraryTheFirstHoldsAndRuns) {
  Tool first = StartTool();
  ASSERT_TRUE(first.main);
  // The same run directory: the library file is in use, so the second write fails.
  Process second = Process::Start(first.directory + "\\vantrel.exe", "", first.directory);
  HWND secondMain = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    secondMain = FindProcessWindow(second.id(), "Vantrel助手 ", "VantrelFrame");
    return secondMain != nullptr;
  }));
  EXPECT_EQ(ReadFile(first.directory + "\\SkinH_EL.dll").size(), 88576u);
  if (secondMain) PostMessageA(secondMain, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.WaitForExit(), 0u);
  PostMessageA(first.main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.process.WaitForExit(), 0u);
}

TEST(Skin, EntryThatLeavesTheStackWrongEndsInTheFatalError) {
  HANDLE hold = INVALID_HANDLE_VALUE;
  // The stand-in is held open for reading only: the program's write fails with a sharing
  // violation and its load of the stand-in succeeds.
  Tool tool = StartTool([&](const std::string& dir) {
    const std::string library = dir + "\\SkinH_EL.dll";
    CopyFileA((BuildDirectory() + "\\skin_wrong_convention.dll").c_str(), library.c_str(), FALSE);
    hold = CreateFileA(library.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }, false);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AnswerFatalErrorBox(tool), "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
  EXPECT_EQ(tool.process.WaitForExit(), static_cast<DWORD>(-1));
  CloseHandle(hold);
}

}  // namespace
