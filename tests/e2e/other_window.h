// A plain top-level window of the test process, on a thread of its own, that takes the
// foreground away from the program under test.
#pragma once

#include <windows.h>

namespace e2e {

class OtherWindow {
 public:
  OtherWindow() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
  }
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  ~OtherWindow() {
    if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }

  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  static DWORD WINAPI Run(void* context) {
    auto* self = static_cast<OtherWindow*>(context);
    WNDCLASSA cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VantrelTestOther";
    RegisterClassA(&cls);
    // The top left corner of the desktop: clear of the centred windows of the program.
    self->hwnd_ = CreateWindowExA(0, cls.lpszClassName, "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  200, 120, nullptr, nullptr, cls.hInstance, nullptr);
    SetEvent(self->ready_);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
  }

  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace e2e
