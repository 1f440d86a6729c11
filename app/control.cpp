// What every control kind shares: its native window, subclassing, borders and fonts.
#include "app/loaded_window.h"

LRESULT Control::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(baseProc_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Control::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    if (auto* created = static_cast<Control*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams)) {
      created->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
  }
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!control) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The object itself lives on until its window forgets it, right after this.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return CallWindowProcA(control->baseProc_, hwnd, message, wParam, lParam);
  }
  return control->Handle(message, wParam, lParam);
}

namespace {

DWORD CommonStyle(const ControlLayout& layout) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (layout.disabled) style |= WS_DISABLED;
  if (layout.tabStop) style |= WS_TABSTOP;
  return style;
}

HMENU ControlId(const LoadedWindow& window) {
  return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(window.controls.size()));
}

}  // namespace

bool Control::CreateOwnClass(const char* className, DWORD style, UINT classStyle) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  if (!GetClassInfoA(instance, className, &cls)) {
    cls.style = classStyle;
    cls.lpfnWndProc = ControlProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.lpszClassName = className;
    if (!RegisterClassA(&cls)) return false;
  }
  return CreateWindowExA(0, className, layout_.text, style | CommonStyle(layout_), layout_.left,
                         layout_.top, layout_.width, layout_.height, window_.hwnd,
                         ControlId(window_), instance, this) != nullptr;
}

bool Control::CreateSubclassed(const char* className, DWORD style, DWORD exStyle) {
  hwnd_ = CreateWindowExA(exStyle, className, layout_.text, style | CommonStyle(layout_),
                          layout_.left, layout_.top, layout_.width, layout_.height, window_.hwnd,
                          ControlId(window_), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) return false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  baseProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
  return true;
}

void Control::ApplyBorderStyle(int borderStyle) {
  LONG exStyle = GetWindowLongA(hwnd_, GWL_EXSTYLE) &
                 ~(WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE);
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE) & ~WS_BORDER;
  switch (borderStyle) {
    case 1: exStyle |= WS_EX_CLIENTEDGE; break;
    case 2: exStyle |= WS_EX_DLGMODALFRAME; break;
    case 3: exStyle |= WS_EX_STATICEDGE; break;
    case 4: exStyle |= WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME; break;
    case 5: style |= WS_BORDER; break;
    default: break;
  }
  SetWindowLongA(hwnd_, GWL_EXSTYLE, exStyle);
  SetWindowLongA(hwnd_, GWL_STYLE, style);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HFONT Control::CreateLayoutFont() const {
  if (!layout_.font) return nullptr;
  LOGFONTA font = *layout_.font;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  return CreateFontIndirectA(&font);
}
