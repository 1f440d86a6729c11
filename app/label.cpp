// The label kind: a caption painted in its own font and colour, and the feedback event.
#include "app/handles.h"
#include "app/loaded_window.h"

namespace {

class Label final : public Control {
 public:
  using Control::Control;

  bool Create() override {
    caption_ = layout_.text;
    if (!CreateOwnClass("VantrelLabel", 0, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW)) return false;
    font_.reset(CreateLayoutFont());
    ApplyBorderStyle(layout_.borderStyle);
    return true;
  }

  Text ReadText() const override { return caption_; }

  void WriteText(const Text& text) override {
    caption_ = text;
    SetWindowTextA(hwnd_, caption_.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole client area
      case WM_PAINT:
        Paint();
        return 0;
      case kLabelFeedbackMessage:
        DeliverFeedback(layout_.onFeedback, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
        return 0;
    }
    return Control::Handle(message, wParam, lParam);
  }

 private:
  void Paint() {
    PaintDC paint(hwnd_);
    HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd_, &client);
    SetDCBrushColor(dc, ResolveColour(layout_.backColour));
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (caption_.empty()) return;

    SelectedObject font(dc, font_.get() ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, layout_.textColour);
    static constexpr UINT kHorizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    static constexpr UINT kVertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    UINT format = DT_NOCLIP | kHorizontal[layout_.horizontalAlign % 3];
    if (layout_.wordWrap) format |= DT_WORDBREAK | DT_VCENTER;
    else format |= DT_SINGLELINE | kVertical[layout_.verticalAlign % 3];
    DrawTextA(dc, caption_.c_str(), -1, &client, format);
  }

  Text caption_;
  OwnedFont font_;
};

}  // namespace

std::unique_ptr<Control> MakeLabel(const ControlLayout& layout, LoadedWindow& window) {
  return std::make_unique<Label>(layout, window);
}
