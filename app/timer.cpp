// The timer kind: a hidden child window that owns platform timer 1000 and raises the timer
// event on every WM_TIMER.
#include "app/loaded_window.h"

namespace {

constexpr UINT_PTR kTimerId = 1000;

class Timer final : public Control {
 public:
  using Control::Control;

  bool Create() override {
    period_ = layout_.period < 0 ? 0 : layout_.period;
    return CreateOwnClass("VantrelTimer", 0, CS_DBLCLKS);
  }

  int32_t ReadPeriod() const override { return period_; }

  void WritePeriod(int32_t period) override {
    if (period < 0) period = 0;
    // An equal period keeps a running timer as it is, phase included.
    if (period == period_) return;
    period_ = period;
    if (running_) KillTimer(hwnd_, kTimerId);
    running_ = period > 0 && SetTimer(hwnd_, kTimerId, static_cast<UINT>(period), nullptr) != 0;
  }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        if (period_ > 0) running_ = SetTimer(hwnd_, kTimerId, static_cast<UINT>(period_), nullptr) != 0;
        return 0;
      case WM_TIMER:
        Deliver(layout_.onEvent);
        return 0;
      case WM_DESTROY:
        if (running_) KillTimer(hwnd_, kTimerId);
        running_ = false;
        return 0;
    }
    return Control::Handle(message, wParam, lParam);
  }

 private:
  int32_t period_ = 0;
  bool running_ = false;
};

}  // namespace

std::unique_ptr<Control> MakeTimer(const ControlLayout& layout, LoadedWindow& window) {
  return std::make_unique<Timer>(layout, window);
}
