// The frame window class: styles from the layout's settings, placement, icons and painting.
#include <map>
#include <string>

#include "app/handles.h"
#include "app/loaded_window.h"

namespace {

const char kFrameClass[] = "VantrelFrame";

struct FrameIcons {
  OwnedIcon large, small;
};

// Icons are loaded once per resource and live until shutdown.
std::map<std::string, FrameIcons>& Icons() {
  static std::map<std::string, FrameIcons> icons;
  return icons;
}

const FrameIcons& IconsFor(const char* resource) {
  auto [it, fresh] = Icons().try_emplace(resource ? resource : "DEFAULT_ICON");
  if (fresh) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto load = [&](int cx, int cy) {
      return static_cast<HICON>(LoadImageA(instance, it->first.c_str(), IMAGE_ICON,
                                           GetSystemMetrics(cx), GetSystemMetrics(cy), 0));
    };
    it->second.large.reset(load(SM_CXICON, SM_CYICON));
    it->second.small.reset(load(SM_CXSMICON, SM_CYSMICON));
  }
  return it->second;
}

void FillBackground(LoadedWindow& window, HDC dc) {
  RECT client;
  GetClientRect(window.hwnd, &client);
  SetDCBrushColor(dc, ResolveColour(window.layout.backColour));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Notifications of a control go back to the control that sent them.
bool RouteToControl(LoadedWindow& window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT& result) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (!sender || sender == window.hwnd || !window.FindByHandle(sender)) return false;
  result = SendMessageA(sender, message, wParam, lParam);
  return true;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<LoadedWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  switch (message) {
    case WM_ERASEBKGND:
      FillBackground(*window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      PaintDC paint(hwnd);
      return 0;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
      if (RouteToControl(*window, message, wParam, lParam, result)) return result;
      break;
    case WM_CLOSE:
      CloseWindow(*window);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) SaveFocus(*window);
      else if (RedirectActivationToModal(*window)) return 0;
      break;
    case WM_SETCURSOR: {
      // A press on a window that a modal run has disabled reaches it only as this hit-test
      // error; it stands for an activation, so it goes to the modal window as well.
      const UINT mouse = HIWORD(lParam);
      const bool press = mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN ||
                         mouse == WM_MBUTTONDOWN || mouse == WM_XBUTTONDOWN;
      if (static_cast<short>(LOWORD(lParam)) == HTERROR && press && RedirectActivationToModal(*window))
        return TRUE;
      break;
    }
    case WM_SETFOCUS:
      RestoreFocus(*window);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      ForgetWindow(*window);
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterFrameClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA cls{};
  cls.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = FrameProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.lpszClassName = kFrameClass;
  registered = RegisterClassA(&cls) != 0;
}

struct FrameStyle {
  DWORD style, exStyle;
};

FrameStyle ComputeFrameStyle(const WindowLayout& layout, bool hasParent) {
  FrameStyle s{WS_CLIPCHILDREN, 0};
  const int border = layout.borderStyle;
  if (border != 0) {
    if (layout.title[0] != '\0' || layout.controlBox) {
      s.style |= WS_CAPTION;
      if (layout.controlBox) s.style |= WS_SYSMENU;
    }
    s.style |= WS_DLGFRAME;
    if (border == 1 || border == 3 || border == 5) s.style |= WS_THICKFRAME;
    if (border == 3 || border == 4) s.exStyle |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) s.exStyle |= WS_EX_CLIENTEDGE;
  }
  if (layout.maximizeButton) s.style |= WS_MAXIMIZEBOX;
  if (layout.minimizeButton) s.style |= WS_MINIMIZEBOX;
  if (hasParent) s.style |= WS_POPUP;
  const bool sizable = (s.style & WS_THICKFRAME) != 0;
  if (layout.startPosition == 2) s.style |= WS_MINIMIZE;
  if (layout.startPosition == 3 && sizable) s.style |= WS_MAXIMIZE;
  return s;
}

}  // namespace

HWND CreateFrameWindow(LoadedWindow& window, HWND owner) {
  RegisterFrameClass();
  const WindowLayout& layout = window.layout;
  const FrameStyle s = ComputeFrameStyle(layout, window.parent != nullptr);
  int left = layout.left, top = layout.top;
  if (layout.startPosition == 1) {
    left = (GetSystemMetrics(SM_CXSCREEN) - layout.width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - layout.height) / 2;
  }
  HWND hwnd = CreateWindowExA(s.exStyle, kFrameClass, layout.title, s.style, left, top,
                              layout.width, layout.height, owner, nullptr,
                              GetModuleHandleA(nullptr), &window);
  if (!hwnd) return nullptr;

  RECT outer;
  GetWindowRect(hwnd, &outer);
  if (outer.right - outer.left != layout.width || outer.bottom - outer.top != layout.height)
    SetWindowPos(hwnd, nullptr, 0, 0, layout.width, layout.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const FrameIcons& icons = IconsFor(layout.icon);
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.large.get()));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.small.get()));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (layout.alwaysOnTop)
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!layout.movable) DeleteMenu(GetSystemMenu(hwnd, FALSE), SC_MOVE, MF_BYCOMMAND);
  return hwnd;
}

void DestroyFrameIcons() { Icons().clear(); }
