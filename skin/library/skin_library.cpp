// SkinH_EL.dll: attaches a skin file to the calling thread's windows: the face colours the
// program asks the system for, push button faces, edit borders, and the caption and frame of
// the program's frame windows, with an optional glass band on the caption.
#include <windows.h>

#include "skin/library/skin_format.h"

namespace {

enum class Kind { Frame, Edit, Button };

struct WindowState {
  WNDPROC original;
  Kind kind;
  bool active;      // frames: the caption is drawn active
  bool leaveArmed;  // a WM_(NC)MOUSELEAVE has been asked for
  bool pressed;     // frames: the pointer is over the caption button being tracked
  int hot;          // frames: hit code of the caption button under the pointer; buttons: 1 if hot
  int tracking;     // frames: hit code of the caption button held down, 0 when none
};

struct ThreadHook {
  DWORD thread;
  HHOOK hook;
};

const char kStateProperty[] = "VantrelSkinState";
constexpr int kMaxThreads = 16;
// The undocumented messages themed Windows draws captions with, outside WM_NCPAINT.
constexpr UINT kUahDrawCaption = 0x00AE, kUahDrawFrame = 0x00AF;

HMODULE g_module;
SkinView g_skin;
bool g_attached;
bool g_glass;
HBRUSH g_brushes[kSkinColourCount];
ThreadHook g_hooks[kMaxThreads];
int g_hookCount;

using SetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
SetWindowAttributeFn g_dwmSetWindowAttribute;

LRESULT CALLBACK SkinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------------------------
// The colours the program asks for

int PaletteEntryFor(int systemColour) {
  switch (systemColour) {
    case COLOR_BTNFACE: return kSkinFace;
    case COLOR_3DLIGHT: return kSkinLight;
    case COLOR_BTNHIGHLIGHT: return kSkinHighlight;
    case COLOR_BTNSHADOW: return kSkinShadow;
    case COLOR_3DDKSHADOW: return kSkinDarkShadow;
  }
  return -1;
}

DWORD WINAPI SkinnedGetSysColor(int index) {
  const int entry = g_attached ? PaletteEntryFor(index) : -1;
  return entry >= 0 ? g_skin.palette[entry] : GetSysColor(index);
}

HBRUSH WINAPI SkinnedGetSysColorBrush(int index) {
  const int entry = g_attached ? PaletteEntryFor(index) : -1;
  return entry >= 0 && g_brushes[entry] ? g_brushes[entry] : GetSysColorBrush(index);
}

// The brushes of an earlier skin are not deleted: like the system's own, callers may keep them.
void CreateBrushes() {
  for (int i = 0; i < COLOR_MENUBAR + 1; ++i) {
    const int entry = PaletteEntryFor(i);
    if (entry >= 0) g_brushes[entry] = CreateSolidBrush(g_skin.palette[entry]);
  }
}

void WritePointer(void** slot, void* value) {
  MEMORY_BASIC_INFORMATION info;
  if (!VirtualQuery(slot, &info, sizeof info)) return;
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  DWORD old;
  if (!VirtualProtect(slot, sizeof *slot, (info.Protect & executable) ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE, &old))
    return;
  InterlockedExchangePointer(slot, value);
  VirtualProtect(slot, sizeof *slot, old, &old);
}

bool AsciiEqualNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
    if (!x) return true;
  }
}

bool SameName(const char* a, const char* b) {
  for (; *a && *a == *b; ++a, ++b) {}
  return *a == *b;
}

// Points the module's imports of GetSysColor and GetSysColorBrush at the skinned versions. An
// import is known by its name where the module keeps the names, otherwise by its address.
void PatchImports(HMODULE module) {
  if (!module || module == g_module) return;
  BYTE* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
      nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
    return;
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!directory.VirtualAddress) return;

  HMODULE user32 = GetModuleHandleA("user32.dll");
  void* const realColour = reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColor"));
  void* const realBrush = reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColorBrush"));
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name; ++d) {
    const bool fromUser32 = AsciiEqualNoCase(reinterpret_cast<const char*>(base + d->Name), "user32.dll");
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + d->FirstThunk);
    const auto* names = d->OriginalFirstThunk
                            ? reinterpret_cast<const IMAGE_THUNK_DATA32*>(base + d->OriginalFirstThunk)
                            : nullptr;
    for (int i = 0; slots[i].u1.Function; ++i) {
      void* const current = reinterpret_cast<void*>(static_cast<UINT_PTR>(slots[i].u1.Function));
      const char* name = nullptr;
      if (fromUser32 && names && !IMAGE_SNAP_BY_ORDINAL32(names[i].u1.Ordinal))
        name = reinterpret_cast<const char*>(
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name);
      void* replacement = nullptr;
      if ((name && SameName(name, "GetSysColor")) || (realColour && current == realColour))
        replacement = reinterpret_cast<void*>(SkinnedGetSysColor);
      else if ((name && SameName(name, "GetSysColorBrush")) || (realBrush && current == realBrush))
        replacement = reinterpret_cast<void*>(SkinnedGetSysColorBrush);
      if (replacement && current != replacement)
        WritePointer(reinterpret_cast<void**>(&slots[i].u1.Function), replacement);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Which windows are skinned

bool ClassIs(HWND hwnd, const char* name) {
  char cls[64];
  return hwnd && GetClassNameA(hwnd, cls, sizeof cls) > 0 && AsciiEqualNoCase(cls, name);
}

bool IsPushButtonStyle(DWORD style) {
  const DWORD type = style & BS_TYPEMASK;
  return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && !(style & (BS_BITMAP | BS_ICON));
}

// Edit and push button controls are skinned inside the program's frames only, so that the
// platform's own dialogs keep their look.
bool KindOf(HWND hwnd, HWND parent, DWORD style, Kind* kind) {
  if (ClassIs(hwnd, "VantrelFrame")) {
    *kind = Kind::Frame;
    return true;
  }
  if (!(style & WS_CHILD) || !ClassIs(GetAncestor(parent, GA_ROOT), "VantrelFrame")) return false;
  if (ClassIs(hwnd, "Edit")) {
    *kind = Kind::Edit;
    return true;
  }
  if (ClassIs(hwnd, "Button") && IsPushButtonStyle(style)) {
    *kind = Kind::Button;
    return true;
  }
  return false;
}

WindowState* StateOf(HWND hwnd) { return static_cast<WindowState*>(GetPropA(hwnd, kStateProperty)); }

// Windows Vista and later draw the frame themselves unless told otherwise; the platforms that
// have no such function, or only a stub, draw whatever WM_NCPAINT draws.
void KeepFrameOurs(HWND hwnd) {
  if (!g_dwmSetWindowAttribute) return;
  const DWORD disabled = 1;  // DWMNCRP_DISABLED for DWMWA_NCRENDERING_POLICY (2)
  g_dwmSetWindowAttribute(hwnd, 2, &disabled, sizeof disabled);
}

bool Subclass(HWND hwnd, Kind kind) {
  if (StateOf(hwnd)) return false;
  auto* state = static_cast<WindowState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WindowState)));
  if (!state) return false;
  state->kind = kind;
  if (!SetPropA(hwnd, kStateProperty, state)) {
    HeapFree(GetProcessHeap(), 0, state);
    return false;
  }
  // The state must be in place first: the swap can deliver messages to SkinProc at once.
  state->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  if (!state->original ||
      !SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SkinProc))) {
    RemovePropA(hwnd, kStateProperty);
    HeapFree(GetProcessHeap(), 0, state);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing helpers

struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  uint32_t* pixels = nullptr;
  int width = 0, height = 0;

  bool Create(HDC target, int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    dc = CreateCompatibleDC(target);
    if (!dc) return false;
    previous = SelectObject(dc, bitmap);
    pixels = static_cast<uint32_t*>(bits);
    width = w;
    height = h;
    return true;
  }

  ~Surface() {
    if (dc) {
      SelectObject(dc, previous);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }

  // Colours are COLORREFs; the bitmap holds 0x00RRGGBB.
  void Set(int x, int y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[y * width + x] = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
  }

  uint32_t Get(int x, int y) const {
    const uint32_t p = pixels[y * width + x];
    return (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
  }
};

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Line(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT r{left, top, right, bottom};
  Fill(dc, r, colour);
}

// One ring of an edge: top and left in one colour, bottom and right in the other.
void EdgeRing(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  Line(dc, r.left, r.top, r.right - 1, r.top + 1, topLeft);
  Line(dc, r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
  Line(dc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
  Line(dc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
}

void SunkenEdge(HDC dc, RECT r) {
  EdgeRing(dc, r, g_skin.palette[kSkinShadow], g_skin.palette[kSkinHighlight]);
  InflateRect(&r, -1, -1);
  EdgeRing(dc, r, g_skin.palette[kSkinDarkShadow], g_skin.palette[kSkinLight]);
}

// ---------------------------------------------------------------------------------------------
// Frames: caption and border

struct FrameGeometry {
  int width, height;  // the window
  RECT inside;        // the window less its outer frame, window coordinates
  RECT client;        // window coordinates
  int captionHeight;  // from inside.top; 0 without a caption
};

bool MeasureFrame(HWND hwnd, FrameGeometry* g) {
  RECT window, client;
  if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return false;
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  g->width = window.right - window.left;
  g->height = window.bottom - window.top;
  g->client = client;
  const LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  const int edgeX = (exStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE) : 0;
  const int edgeY = (exStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CYEDGE) : 0;
  // The frame is as wide on every side: what the bottom shows is what the top has above the
  // caption.
  const int border = g->height - client.bottom - edgeY;
  g->inside = {client.left - edgeX, border, client.right + edgeX, client.bottom + edgeY};
  const bool caption = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
  g->captionHeight = caption ? client.top - edgeY - border : 0;
  return g->width > 0 && g->height > 0 && border >= 0 && g->captionHeight >= 0;
}

enum CaptionButton { kClose, kMaximize, kMinimize, kCaptionButtons };

// The rectangles the platform gives its own caption buttons, relative to the caption.
bool CaptionButtonRect(HWND hwnd, int which, int captionWidth, int captionHeight, RECT* r) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  if (!(style & WS_SYSMENU)) return false;
  const int cx = GetSystemMetrics(SM_CXSIZE), cy = GetSystemMetrics(SM_CYSIZE);
  if (which == kClose) {
    if (exStyle & WS_EX_TOOLWINDOW) {
      const int side = 11;
      const int top = (captionHeight - 1 - side) / 2, left = captionWidth - (captionHeight + 1 + side) / 2;
      *r = {left, top, left + side, top + side};
    } else {
      *r = {captionWidth - cx, 2, captionWidth - 2, cy - 2};
    }
    return true;
  }
  if ((exStyle & WS_EX_TOOLWINDOW) || !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) return false;
  if (which == kMaximize) *r = {captionWidth - 2 * cx, 2, captionWidth - cx - 2, cy - 2};
  else *r = {captionWidth - 3 * cx + 2, 2, captionWidth - 2 * cx, cy - 2};
  return true;
}

int HitCodeOf(int which) { return which == kClose ? HTCLOSE : which == kMaximize ? HTMAXBUTTON : HTMINBUTTON; }

bool CaptionButtonEnabled(HWND hwnd, int hit) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  if (hit == HTMAXBUTTON) return (style & WS_MAXIMIZEBOX) != 0;
  if (hit == HTMINBUTTON) return (style & WS_MINIMIZEBOX) != 0;
  const UINT state = GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
  return state != 0xFFFFFFFF && !(state & (MF_DISABLED | MF_GRAYED));
}

void DrawGlyph(Surface& s, int which, const RECT& r, uint32_t colour, bool zoomed) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int half = (w < h ? w : h) * 2 / 9 + 1;
  const int cx = r.left + w / 2, cy = r.top + h / 2;
  if (which == kClose) {
    for (int i = -half; i <= half; ++i)
      for (int t = 0; t < 2; ++t) {
        s.Set(cx + i + t, cy + i, colour);
        s.Set(cx - i + t, cy + i, colour);
      }
  } else if (which == kMinimize) {
    for (int x = cx - half; x <= cx + half; ++x)
      for (int y = cy + half - 1; y <= cy + half; ++y) s.Set(x, y, colour);
  } else {
    const int shift = zoomed ? 2 : 0;
    for (int x = cx - half + shift; x <= cx + half; ++x) {
      s.Set(x, cy - half - shift, colour);
      s.Set(x, cy - half - shift + 1, colour);
      s.Set(x, cy + half - shift, colour);
    }
    for (int y = cy - half - shift; y <= cy + half - shift; ++y) {
      s.Set(cx - half + shift, y, colour);
      s.Set(cx + half, y, colour);
    }
  }
}

void DrawCaptionButtons(HWND hwnd, Surface& s, const WindowState& state, int* textRight) {
  const bool zoomed = IsZoomed(hwnd) != 0;
  for (int which = 0; which < kCaptionButtons; ++which) {
    RECT r;
    if (!CaptionButtonRect(hwnd, which, s.width, s.height, &r)) continue;
    if (r.left - 2 < *textRight) *textRight = r.left - 2;
    const int hit = HitCodeOf(which);
    const bool enabled = CaptionButtonEnabled(hwnd, hit);
    const bool pressed = enabled && state.tracking == hit && state.pressed;
    const bool hot = enabled && !state.tracking && state.hot == hit;
    if (pressed || hot) {
      const uint32_t fill = which == kClose
                                ? (pressed ? SkinMix(g_skin.palette[kSkinCloseHot], 0, 48) : g_skin.palette[kSkinCloseHot])
                                : g_skin.palette[pressed ? kSkinCaptionButtonPressed : kSkinCaptionButtonHot];
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          const bool corner = (x == r.left || x == r.right - 1) && (y == r.top || y == r.bottom - 1);
          s.Set(x, y, corner ? SkinMix(s.Get(x, y), fill, 128) : fill);
        }
    }
    uint32_t glyph = g_skin.palette[state.active ? kSkinGlyphActive : kSkinGlyphInactive];
    if (!enabled) glyph = SkinMix(glyph, s.Get((r.left + r.right) / 2, (r.top + r.bottom) / 2), 150);
    if (pressed) OffsetRect(&r, 1, 1);
    DrawGlyph(s, which, r, glyph, zoomed);
  }
}

HICON SmallIconOf(HWND hwnd) {
  auto icon = reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_SMALL2, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(hwnd, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(hwnd, GCLP_HICON));
  return icon;
}

void PaintCaption(HWND hwnd, HDC dc, const FrameGeometry& g, const WindowState& state) {
  const int width = g.inside.right - g.inside.left, height = g.captionHeight;
  if (width <= 0 || height <= 0) return;
  Surface s;
  if (!s.Create(dc, width, height)) return;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s.Set(x, y, SkinCaptionColour(g_skin, x, y, height, state.active, g_glass));
  int textRight = width;
  DrawCaptionButtons(hwnd, s, state, &textRight);

  // Direct pixel writes are done; GDI draws the rest.
  int textLeft = 4;
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE), exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  if ((style & WS_SYSMENU) && !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME))) {
    if (HICON icon = SmallIconOf(hwnd)) {
      const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
      DrawIconEx(s.dc, 2, (height - 1 - cy) / 2, icon, cx, cy, 0, nullptr, DI_NORMAL);
      textLeft = 2 + cx + 4;
    }
  }

  char text[256];
  const int length = GetWindowTextA(hwnd, text, sizeof text);
  if (length > 0 && textRight > textLeft) {
    NONCLIENTMETRICSA metrics{};
    // The size without iPaddedBorderWidth, which Windows XP refuses.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    HFONT font = nullptr;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
      font = CreateFontIndirectA((exStyle & WS_EX_TOOLWINDOW) ? &metrics.lfSmCaptionFont : &metrics.lfCaptionFont);
    const HGDIOBJ previousFont = font ? SelectObject(s.dc, font) : nullptr;
    SetBkMode(s.dc, TRANSPARENT);
    RECT r{textLeft, 0, textRight, height - 1};
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT | DT_END_ELLIPSIS;
    if (g_skin.flags & kSkinFlagCaptionTextShadow) {
      RECT shadow = r;
      OffsetRect(&shadow, 1, 1);
      SetTextColor(s.dc, SkinMix(g_skin.strips[state.active ? kSkinStripCaptionActive : kSkinStripCaptionInactive]
                                              [kSkinStripRows - 1], 0, 96));
      DrawTextA(s.dc, text, length, &shadow, format);
    }
    SetTextColor(s.dc, g_skin.palette[state.active ? kSkinCaptionTextActive : kSkinCaptionTextInactive]);
    DrawTextA(s.dc, text, length, &r, format);
    if (font) {
      SelectObject(s.dc, previousFont);
      DeleteObject(font);
    }
  }
  BitBlt(dc, g.inside.left, g.inside.top, width, height, s.dc, 0, 0, SRCCOPY);
}

void PaintFrame(HWND hwnd) {
  const WindowState* state = StateOf(hwnd);
  FrameGeometry g;
  if (!state || !g_attached || !IsWindowVisible(hwnd) || IsIconic(hwnd) || !MeasureFrame(hwnd, &g)) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  ExcludeClipRect(dc, g.client.left, g.client.top, g.client.right, g.client.bottom);
  const SkinStrip strip = state->active ? kSkinStripCaptionActive : kSkinStripCaptionInactive;
  const RECT whole{0, 0, g.width, g.height};
  Fill(dc, whole, g_skin.strips[strip][kSkinStripRows - 1]);
  if (g.inside.left > 0) {
    const COLORREF outline = g_skin.palette[state->active ? kSkinFrameActive : kSkinFrameInactive];
    EdgeRing(dc, whole, outline, outline);
  }
  if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
    RECT edge = g.inside;
    edge.top += g.captionHeight;
    SunkenEdge(dc, edge);
  }
  if (g.captionHeight > 0) PaintCaption(hwnd, dc, g, *state);
  ReleaseDC(hwnd, dc);
}

// After a call into the platform that may have drawn its own caption.
void RepaintFrameAfter(HWND hwnd) {
  if (IsWindow(hwnd) && StateOf(hwnd)) PaintFrame(hwnd);
}

int HitAt(HWND hwnd, POINT screen) {
  return static_cast<int>(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
}

bool IsCaptionButtonHit(WPARAM hit) { return hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON; }

void ArmLeave(HWND hwnd, WindowState* state, DWORD flags) {
  if (state->leaveArmed) return;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | flags, hwnd, 0};
  state->leaveArmed = TrackMouseEvent(&track) != 0;
}

// The caption buttons are tracked here rather than by the platform, which would draw its own
// buttons while the mouse button is held.
void FinishTracking(HWND hwnd, WindowState* state, POINT screen) {
  const int hit = state->tracking;
  const bool over = HitAt(hwnd, screen) == hit;
  state->tracking = 0;
  state->pressed = false;
  ReleaseCapture();
  PaintFrame(hwnd);
  if (!over) return;
  WPARAM command = SC_CLOSE;
  if (hit == HTMINBUTTON) command = SC_MINIMIZE;
  if (hit == HTMAXBUTTON) command = IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
  SendMessageA(hwnd, WM_SYSCOMMAND, command, MAKELPARAM(screen.x, screen.y));
}

POINT ClientToScreenPoint(HWND hwnd, LPARAM lParam) {
  POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(hwnd, &p);
  return p;
}

bool RepaintsCaptionAfter(UINT message) {
  switch (message) {
    case WM_SETTEXT:
    case WM_SETICON:
    case WM_SYSCOMMAND:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_EXITMENULOOP:
    case WM_ENABLE:
      return true;
  }
  return false;
}

LRESULT FrameMessage(HWND hwnd, WindowState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = state->original;
  switch (message) {
    case WM_NCPAINT:
      if (IsIconic(hwnd)) break;
      PaintFrame(hwnd);
      return 0;
    case WM_NCACTIVATE: {
      state->active = wParam != 0;
      if (IsIconic(hwnd)) break;  // a minimized window keeps the platform's drawing
      // -1 keeps the platform from drawing its own caption for the change.
      const LRESULT result = CallWindowProcA(original, hwnd, message, wParam, -1);
      RepaintFrameAfter(hwnd);
      return result;
    }
    case kUahDrawCaption:
    case kUahDrawFrame:
      return 0;
    case WM_CREATE: {
      const LRESULT result = CallWindowProcA(original, hwnd, message, wParam, lParam);
      if (result != -1) KeepFrameOurs(hwnd);
      return result;
    }
    case WM_NCLBUTTONDOWN:
      if (!IsCaptionButtonHit(wParam) || IsIconic(hwnd)) break;
      if (CaptionButtonEnabled(hwnd, static_cast<int>(wParam))) {
        state->tracking = static_cast<int>(wParam);
        state->pressed = true;
        SetCapture(hwnd);
        PaintFrame(hwnd);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (state->tracking) {
        const bool over = HitAt(hwnd, ClientToScreenPoint(hwnd, lParam)) == state->tracking;
        if (over != state->pressed) {
          state->pressed = over;
          PaintFrame(hwnd);
        }
        return 0;
      }
      if (state->hot) {
        state->hot = 0;
        PaintFrame(hwnd);
      }
      break;
    case WM_LBUTTONUP:
      if (!state->tracking) break;
      FinishTracking(hwnd, state, ClientToScreenPoint(hwnd, lParam));
      return 0;
    case WM_NCLBUTTONUP:
      if (!state->tracking) break;
      FinishTracking(hwnd, state, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    case WM_CAPTURECHANGED:
      if (state->tracking) {
        state->tracking = 0;
        state->pressed = false;
        PaintFrame(hwnd);
      }
      break;
    case WM_NCMOUSEMOVE: {
      const int hot = IsCaptionButtonHit(wParam) ? static_cast<int>(wParam) : 0;
      if (hot) ArmLeave(hwnd, state, TME_NONCLIENT);
      if (hot != state->hot) {
        state->hot = hot;
        PaintFrame(hwnd);
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      state->leaveArmed = false;
      if (state->hot) {
        state->hot = 0;
        PaintFrame(hwnd);
      }
      break;
  }
  const LRESULT result = CallWindowProcA(original, hwnd, message, wParam, lParam);
  if (RepaintsCaptionAfter(message)) RepaintFrameAfter(hwnd);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Edit boxes: their own non-client handling stays; only the border takes the skin's colours.

void PaintEditBorder(HWND hwnd) {
  if (!IsWindow(hwnd) || !StateOf(hwnd) || !IsWindowVisible(hwnd)) return;
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE), exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  if (exStyle & WS_EX_DLGMODALFRAME) return;
  RECT window;
  GetWindowRect(hwnd, &window);
  const RECT r{0, 0, window.right - window.left, window.bottom - window.top};
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  if (exStyle & WS_EX_CLIENTEDGE) SunkenEdge(dc, r);
  else if (exStyle & WS_EX_STATICEDGE) EdgeRing(dc, r, g_skin.palette[kSkinShadow], g_skin.palette[kSkinHighlight]);
  else if (style & WS_BORDER) EdgeRing(dc, r, g_skin.palette[kSkinButtonBorder], g_skin.palette[kSkinButtonBorder]);
  ReleaseDC(hwnd, dc);
}

LRESULT EditMessage(HWND hwnd, WindowState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(state->original, hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCPAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      PaintEditBorder(hwnd);
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Push buttons

void PaintButton(HWND hwnd, HDC target) {
  const WindowState* state = StateOf(hwnd);
  RECT client;
  if (!state || !GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0) return;
  const int w = client.right, h = client.bottom;
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  const LRESULT buttonState = SendMessageA(hwnd, BM_GETSTATE, 0, 0);
  const bool pushed = (buttonState & BST_PUSHED) != 0;
  const bool enabled = IsWindowEnabled(hwnd) != 0;
  const bool focused = GetFocus() == hwnd;
  const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const LRESULT ui = SendMessageA(hwnd, WM_QUERYUISTATE, 0, 0);

  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, w, h);
  if (!dc || !bitmap) {
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  const HGDIOBJ previousBitmap = SelectObject(dc, bitmap);

  const SkinStrip strip = pushed ? kSkinStripButtonPressed
                          : (state->hot && enabled) ? kSkinStripButtonHot
                                                    : kSkinStripButtonNormal;
  for (int y = 0; y < h; ++y) {
    uint32_t colour = SkinButtonColour(g_skin, strip, y, h);
    if (!enabled) colour = SkinMix(colour, g_skin.palette[kSkinFace], 128);
    Line(dc, 0, y, w, y + 1, colour);
  }
  const uint32_t border = (isDefault || focused) && enabled ? g_skin.palette[kSkinAccent] : g_skin.palette[kSkinButtonBorder];
  const RECT outer{0, 0, w, h};
  EdgeRing(dc, outer, border, border);
  if (!pushed && w > 2 && h > 2) {
    Line(dc, 1, 1, w - 1, 2, g_skin.palette[kSkinHighlight]);
    Line(dc, 1, 1, 2, h - 1, g_skin.palette[kSkinHighlight]);
  }
  for (int corner = 0; corner < 4; ++corner) {
    const int x = corner & 1 ? w - 1 : 0, y = corner & 2 ? h - 1 : 0;
    SetPixelV(dc, x, y, SkinMix(border, g_skin.palette[kSkinFace], 160));
  }

  char text[512];
  const int length = GetWindowTextA(hwnd, text, sizeof text);
  RECT area{3, 3, w - 3, h - 3};
  if (pushed) OffsetRect(&area, 1, 1);
  if (length > 0) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    const HGDIOBJ previousFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    if (ui & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
    const DWORD horizontal = style & BS_CENTER;
    format |= horizontal == BS_LEFT ? DT_LEFT : horizontal == BS_RIGHT ? DT_RIGHT : DT_CENTER;
    // DT_VCENTER works for one line only, so the text's height is measured and placed by hand.
    RECT measured = area;
    DrawTextA(dc, text, length, &measured, format | DT_CALCRECT);
    const int textHeight = measured.bottom - measured.top;
    const DWORD vertical = style & BS_VCENTER;
    RECT placed = area;
    if (vertical == BS_TOP) placed.bottom = placed.top + textHeight;
    else if (vertical == BS_BOTTOM) placed.top = placed.bottom - textHeight;
    else placed.top += (area.bottom - area.top - textHeight) / 2, placed.bottom = placed.top + textHeight;
    DrawTextA(dc, text, length, &placed, format);
    SelectObject(dc, previousFont);
  }
  if (focused && !(ui & UISF_HIDEFOCUS) && w > 6 && h > 6) {
    RECT focus{3, 3, w - 3, h - 3};
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &focus);
  }
  BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  SelectObject(dc, previousBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// The platform's button draws itself straight away on many state changes; those are drawn over.
void RepaintButtonAfter(HWND hwnd) {
  if (!IsWindow(hwnd) || !StateOf(hwnd) || !IsWindowVisible(hwnd)) return;
  if (HDC dc = GetDC(hwnd)) {
    PaintButton(hwnd, dc);
    ReleaseDC(hwnd, dc);
  }
}

bool RepaintsButtonAfter(UINT message) {
  switch (message) {
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_KEYUP:
      return true;
  }
  return false;
}

LRESULT ButtonMessage(HWND hwnd, WindowState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsPushButtonStyle(GetWindowLongA(hwnd, GWL_STYLE)))
    return CallWindowProcA(state->original, hwnd, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (wParam) {
        PaintButton(hwnd, reinterpret_cast<HDC>(wParam));
      } else {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(hwnd, &paint)) {
          PaintButton(hwnd, dc);
          EndPaint(hwnd, &paint);
        }
      }
      return 0;
    case WM_PRINTCLIENT:
      PaintButton(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      if (!state->hot) {
        state->hot = 1;
        ArmLeave(hwnd, state, 0);
        const LRESULT result = CallWindowProcA(state->original, hwnd, message, wParam, lParam);
        RepaintButtonAfter(hwnd);
        return result;
      }
      break;
    case WM_MOUSELEAVE: {
      state->hot = 0;
      state->leaveArmed = false;
      const LRESULT result = CallWindowProcA(state->original, hwnd, message, wParam, lParam);
      RepaintButtonAfter(hwnd);
      return result;
    }
  }
  const LRESULT result = CallWindowProcA(state->original, hwnd, message, wParam, lParam);
  if (RepaintsButtonAfter(message)) RepaintButtonAfter(hwnd);
  return result;
}

// ---------------------------------------------------------------------------------------------

LRESULT CALLBACK SkinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowState* state = StateOf(hwnd);
  if (!state) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const WNDPROC original = state->original;
    RemovePropA(hwnd, kStateProperty);
    HeapFree(GetProcessHeap(), 0, state);
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
  switch (state->kind) {
    case Kind::Frame: return FrameMessage(hwnd, state, message, wParam, lParam);
    case Kind::Edit: return EditMessage(hwnd, state, message, wParam, lParam);
    case Kind::Button: return ButtonMessage(hwnd, state, message, wParam, lParam);
  }
  return CallWindowProcA(state->original, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_attached) {
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    Kind kind;
    if (KindOf(hwnd, create->hwndParent, static_cast<DWORD>(create->style), &kind)) Subclass(hwnd, kind);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool HookThread() {
  const DWORD thread = GetCurrentThreadId();
  for (int i = 0; i < g_hookCount; ++i)
    if (g_hooks[i].thread == thread) return true;
  if (g_hookCount == kMaxThreads) return false;
  HHOOK hook = SetWindowsHookExA(WH_CBT, CbtHook, g_module, thread);
  if (!hook) return false;
  g_hooks[g_hookCount++] = {thread, hook};
  return true;
}

void SkinExisting(HWND hwnd) {
  if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return;
  Kind kind;
  if (KindOf(hwnd, GetParent(hwnd), static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), &kind) &&
      Subclass(hwnd, kind) && kind == Kind::Frame)
    KeepFrameOurs(hwnd);
  if (WindowState* state = StateOf(hwnd); state && state->kind == Kind::Frame) {
    WINDOWINFO info{};
    info.cbSize = sizeof info;
    state->active = GetWindowInfo(hwnd, &info) && info.dwWindowStatus == WS_ACTIVECAPTION;
  }
}

BOOL CALLBACK SkinChild(HWND hwnd, LPARAM) {
  SkinExisting(hwnd);
  return TRUE;
}

BOOL CALLBACK SkinTopLevel(HWND hwnd, LPARAM) {
  SkinExisting(hwnd);
  EnumChildWindows(hwnd, SkinChild, 0);
  if (StateOf(hwnd)) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

BOOL CALLBACK RepaintTopLevel(HWND hwnd, LPARAM) {
  if (const WindowState* state = StateOf(hwnd); state && state->kind == Kind::Frame) PaintFrame(hwnd);
  return TRUE;
}

uint8_t* ReadSkinFile(const char* path, uint32_t* size) {
  if (!path || !*path) return nullptr;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  uint8_t* bytes = nullptr;
  LARGE_INTEGER length;
  // Disk files only: reading a pipe, console or device could wait forever.
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &length) &&
      length.QuadPart >= kSkinHeaderSize && length.QuadPart <= kSkinMaxFileSize) {
    const DWORD want = static_cast<DWORD>(length.QuadPart);
    bytes = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, want));
    DWORD total = 0, got = 0;
    while (bytes && total < want && ReadFile(file, bytes + total, want - total, &got, nullptr) && got > 0)
      total += got;
    if (bytes && total != want) {
      HeapFree(GetProcessHeap(), 0, bytes);
      bytes = nullptr;
    }
    *size = total;
  }
  CloseHandle(file);
  return bytes;
}

HMODULE ModuleAt(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char*>(address), &module);
  return module;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// Returns TRUE when the skin is attached; on FALSE nothing has changed. The second argument is
// part of the entry's signature and not used.
extern "C" BOOL WINAPI SkinH_AttachEx(const char* skinPath, const char* second) {
  (void)second;
  uint32_t size = 0;
  uint8_t* bytes = ReadSkinFile(skinPath, &size);
  if (!bytes) return FALSE;
  SkinView view;
  HMODULE pinned = nullptr;
  // Pinned before anything points into this module, so that FreeLibrary can never unmap code
  // a hook, a window procedure or a patched import still reaches.
  if (SkinParse(bytes, size, &view) != kSkinOk ||
      !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<const char*>(&SkinH_AttachEx), &pinned)) {
    HeapFree(GetProcessHeap(), 0, bytes);
    return FALSE;
  }
  // The bytes of an earlier skin stay allocated: another thread may be drawing with them.
  g_skin = view;
  CreateBrushes();
  if (!g_dwmSetWindowAttribute)
    if (HMODULE dwm = LoadLibraryA("dwmapi.dll"))
      g_dwmSetWindowAttribute = reinterpret_cast<SetWindowAttributeFn>(
          reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
  g_attached = true;
  PatchImports(GetModuleHandleA(nullptr));
  PatchImports(ModuleAt(__builtin_return_address(0)));
  HookThread();
  EnumThreadWindows(GetCurrentThreadId(), SkinTopLevel, 0);
  return TRUE;
}

// The glass effect is this library's own drawing, a bright band over the caption's upper half,
// so it looks the same on every platform and has nothing to fail on.
extern "C" BOOL WINAPI SkinH_SetAero(int enable) {
  g_glass = enable != 0;
  if (g_attached) EnumThreadWindows(GetCurrentThreadId(), RepaintTopLevel, 0);
  return TRUE;
}
