// The inspection tick and the window queries it makes.
#include "inspector/inspection.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/frame.h"
#include "inspector/main_window.h"
#include "inspector/process_name.h"

namespace {

using namespace main_controls;

// Each lookup of a tick takes the handle from the text of the handle box, not from a variable.
HWND HandleFromBox() {
  const auto low = static_cast<uint32_t>(TruncateToInteger(TextToNumber(ReadText(kMainWindow, kHandleBox))));
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(low));
}

int32_t Area(const RECT& r) {
  // 32-bit signed product, wrapping as the platform's integers do.
  return static_cast<int32_t>(static_cast<uint32_t>(r.bottom - r.top) * static_cast<uint32_t>(r.right - r.left));
}

// A cursor coordinate as text; empty when the position cannot be had (a locked input desktop).
template <LONG POINT::*Member>
Text CursorCoordinate() {
  POINT point;
  return GetCursorPos(&point) ? IntegerToText(point.*Member) : Text();
}

}  // namespace

HWND FindWindowUnderCursor() {
  POINT point;
  if (!GetCursorPos(&point)) return nullptr;
  HWND found = WindowFromPoint(point);
  if (!found) return nullptr;
  RECT best;
  GetWindowRect(found, &best);
  HWND parent = GetParent(found);
  if (!parent) return found;
  for (HWND c = GetWindow(found, GW_HWNDNEXT); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    if (PtInRect(&r, point) && GetParent(c) == parent && IsWindowVisible(c) && Area(r) < Area(best)) {
      found = c;
      best = r;
    }
  }
  return found;
}

Text QueryClassName(HWND window) {
  Text buffer = BlankText(255);
  GetClassNameA(window, buffer.data(), 255);
  return Text(buffer.c_str());
}

Text QueryWindowTitle(HWND window) {
  if (!IsWindow(window)) return Text();
  // SMTO_ABORTIFHUNG gives up at once on a thread that the platform counts as hung. Wine takes
  // the flag but waits for such a thread all the same (and past the timeout), which would stop
  // the ticks for as long as the thread hangs; asking first gives the same empty title.
  if (IsHungAppWindow(window)) return Text();
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTitleTimeoutMs, &length))
    return Text();
  // Whatever length another program reports: below 1 there is nothing to read.
  if (static_cast<LONG_PTR>(length) <= 0) return Text();
  const size_t size = static_cast<size_t>(length) + 1;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
  if (!buffer) return Text();
  buffer[0] = '\0';
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.get()), SMTO_ABORTIFHUNG,
                      kTitleTimeoutMs, &copied);
  // The other program may leave the buffer without a terminator: never read past it.
  return Text(buffer.get(), strnlen(buffer.get(), size));
}

void InspectionTick() {
  WriteText(kMainWindow, kHandleBox, IntegerToText(static_cast<int32_t>(reinterpret_cast<uintptr_t>(FindWindowUnderCursor()))));
  WriteText(kMainWindow, kClassBox, QueryClassName(HandleFromBox()));
  WriteText(kMainWindow, kTitleBox, QueryWindowTitle(HandleFromBox()));
  WriteText(kMainWindow, kCursorXBox, CursorCoordinate<&POINT::x>());
  WriteText(kMainWindow, kCursorYBox, CursorCoordinate<&POINT::y>());
  WriteText(kMainWindow, kProcessBox, QueryProcessName(HandleFromBox()));
}
