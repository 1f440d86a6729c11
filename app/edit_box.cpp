// The edit box kind: an EDIT control with its own colours, a vertically centred text line and
// the content-changed event raised once per change.
#include <windowsx.h>

#include "app/handles.h"
#include "app/loaded_window.h"

namespace {

class EditBox final : public Control {
 public:
  using Control::Control;

  bool Create() override {
    static constexpr DWORD kAlign[] = {ES_LEFT, ES_CENTER, ES_RIGHT};
    DWORD style = kAlign[layout_.horizontalAlign % 3];
    if (!layout_.hideSelection) style |= ES_NOHIDESEL;
    if (layout_.multiLine) {
      style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (layout_.scrollBars == 1 || layout_.scrollBars == 3) style |= ES_AUTOHSCROLL | WS_HSCROLL;
      if (layout_.scrollBars == 2 || layout_.scrollBars == 3) style |= WS_VSCROLL;
    } else {
      style |= ES_AUTOHSCROLL;
    }
    if (layout_.inputMode == 1) style |= ES_READONLY;
    if (layout_.inputMode == 2) style |= ES_PASSWORD;
    if (layout_.letterCase == 1) style |= ES_LOWERCASE;
    if (layout_.letterCase == 2) style |= ES_UPPERCASE;
    if (!CreateSubclassed("EDIT", style, 0)) return false;
    brush_.reset(CreateSolidBrush(ResolveColour(layout_.backColour)));

    font_.reset(CreateLayoutFont());
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    if (!layout_.multiLine) {
      // One double-byte character and the sunken edge must fit.
      const int needed = TextHeight("\xD6\xD0") + 2 * GetSystemMetrics(SM_CYEDGE);
      if (layout_.height < needed)
        SetWindowPos(hwnd_, nullptr, 0, 0, layout_.width, needed,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(layout_.maxLength), 0);
    if (layout_.inputMode == 2)
      SendMessageA(hwnd_, EM_SETPASSWORDCHAR, static_cast<BYTE>(layout_.passwordChar), 0);
    SendMessageA(hwnd_, EM_SETSEL, layout_.selectionStart,
                 layout_.selectionStart + layout_.selectionLength);
    SendMessageA(hwnd_, EM_SCROLLCARET, 0, 0);
    ApplyBorderStyle(layout_.borderStyle);
    return true;
  }

  Text ReadText() const override {
    const int length = GetWindowTextLengthA(hwnd_);
    if (length <= 0) return Text();
    Text text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd_, text.data(), length + 1)));
    return text;
  }

  void WriteText(const Text& text) override {
    // The platform's own EN_CHANGE for this write is ignored; the one sent afterwards counts,
    // so a write raises the event exactly once, also when the text is unchanged.
    writing_ = true;
    SetWindowTextA(hwnd_, text.c_str());
    writing_ = false;
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(hwnd_));
  }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) break;
        if (HIWORD(wParam) == EN_CHANGE && !writing_) Deliver(layout_.onEvent);
        return 0;
      case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, layout_.textColour);
        SetBkColor(dc, ResolveColour(layout_.backColour));
        return reinterpret_cast<LRESULT>(brush_.get());
      }
      case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush_.get());
        return 1;
      }
      case WM_NCCALCSIZE:
        if (!layout_.multiLine) return CentreTextLine(wParam, lParam);
        break;
      case WM_NCPAINT:
        if (!layout_.multiLine) PaintStrips();
        break;
      case WM_NCHITTEST: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd_, &point);
        RECT client;
        GetClientRect(hwnd_, &client);
        if (!PtInRect(&client, point)) return HTBORDER;
        break;
      }
    }
    return Control::Handle(message, wParam, lParam);
  }

 private:
  HFONT Font() const {
    return font_.get() ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }

  int TextHeight(const char* sample) const {
    WindowDC dc(hwnd_, false);
    SelectedObject font(dc.get(), Font());
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), sample, lstrlenA(sample), &size);
    return size.cy;
  }

  // After the default calculation the client rectangle is cut to one text line, centred; the
  // rectangle inside the border is kept (relative to the window) for the strips.
  LRESULT CentreTextLine(WPARAM wParam, LPARAM lParam) {
    RECT* rect = reinterpret_cast<RECT*>(lParam);  // rgrc[0] when wParam is TRUE
    const RECT window = *rect;
    const LRESULT result = Control::Handle(WM_NCCALCSIZE, wParam, lParam);
    inner_ = {rect->left - window.left, rect->top - window.top, rect->right - window.left,
              rect->bottom - window.top};
    const int line = TextHeight("W");
    const int height = rect->bottom - rect->top;
    if (height > line) {
      rect->top += (height - line) / 2;
      rect->bottom = rect->top + line;
    }
    return result;
  }

  void PaintStrips() {
    RECT window, client;
    GetWindowRect(hwnd_, &window);
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    const RECT above{inner_.left, inner_.top, inner_.right, client.top};
    const RECT below{inner_.left, client.bottom, inner_.right, inner_.bottom};
    WindowDC dc(hwnd_, true);
    FillRect(dc.get(), &above, brush_.get());
    FillRect(dc.get(), &below, brush_.get());
  }

  OwnedFont font_;
  OwnedBrush brush_;
  bool writing_ = false;
  RECT inner_{};
};

}  // namespace

std::unique_ptr<Control> MakeEditBox(const ControlLayout& layout, LoadedWindow& window) {
  return std::make_unique<EditBox>(layout, window);
}
