// Starts a copy of the tool in a scratch directory, waits for its main window, saves a picture
// of that window as a BMP file, closes the tool and exits with the tool's own exit code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/main_window_search.h"

namespace {

bool SaveWindowPicture(HWND window, const char* path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + size, 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  FILE* out = std::fopen(path, "wb");
  bool ok = out && std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
            std::fwrite(bits, 1, size, out) == size;
  if (out) ok = std::fclose(out) == 0 && ok;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: snap TOOL.exe OUT.bmp\n");
    return 2;
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "vantrel-snap-" + std::to_string(GetTickCount());
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string exe = dir + "\\vantrel.exe";
  if (!CopyFileA(argv[1], exe.c_str(), FALSE)) return 3;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup, &process))
    return 3;
  HWND main = nullptr;
  for (int i = 0; i < 1000 && !(main = FindMainWindow(process.dwProcessId)); ++i) Sleep(10);
  int result = 4;
  if (main) {
    SetForegroundWindow(main);
    Sleep(1000);  // let the skin and every control finish painting
    result = SaveWindowPicture(main, argv[2]) ? 0 : 5;
    PostMessageA(main, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("vantrel.exe exited with %ld\n", static_cast<long>(code));
  return result;
}
