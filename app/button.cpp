// The button kind: a push button whose BN_CLICKED raises the click event.
#include "app/handles.h"
#include "app/loaded_window.h"

namespace {

class Button final : public Control {
 public:
  using Control::Control;

  bool Create() override {
    static constexpr DWORD kHorizontal[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
    static constexpr DWORD kVertical[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
    DWORD style = BS_MULTILINE | (layout_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                  kHorizontal[layout_.horizontalAlign % 3] | kVertical[layout_.verticalAlign % 3];
    caption_ = layout_.text;
    if (!CreateSubclassed("BUTTON", style, 0)) return false;
    font_.reset(CreateLayoutFont());
    SendMessageA(hwnd_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font_.get() ? font_.get() : GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return true;
  }

  Text ReadText() const override { return caption_; }

  void WriteText(const Text& text) override {
    caption_ = text;
    SetWindowTextA(hwnd_, caption_.c_str());
  }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == hwnd_) {
      if (HIWORD(wParam) == BN_CLICKED) Deliver(layout_.onEvent);
      return 0;
    }
    return Control::Handle(message, wParam, lParam);
  }

 private:
  Text caption_;
  OwnedFont font_;
};

}  // namespace

std::unique_ptr<Control> MakeButton(const ControlLayout& layout, LoadedWindow& window) {
  return std::make_unique<Button>(layout, window);
}
