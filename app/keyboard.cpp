// Keys the frame handles itself (Tab, Shift+Tab, Esc, Enter), the keyboard focus a window
// gives back on activation, and the modal run of a window loaded in dialog mode.
#include "app/keyboard.h"

#include <algorithm>

#include "app/loaded_window.h"

std::vector<size_t> SortTabOrder(std::span<const TabCandidate> controls) {
  std::vector<size_t> order;
  for (size_t i = controls.size(); i-- > 0;)
    if (controls[i].eligible) order.push_back(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return controls[a].tabIndex < controls[b].tabIndex; });
  return order;
}

namespace {

std::vector<Control*> TabOrder(const LoadedWindow& window) {
  std::vector<TabCandidate> candidates;
  for (auto& control : window.controls) {
    HWND hwnd = control->hwnd();
    candidates.push_back({control->layout().tabIndex,
                          control->layout().kind != ControlKind::Timer && control->layout().tabStop &&
                              IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)});
  }
  std::vector<Control*> order;
  for (size_t i : SortTabOrder(candidates)) order.push_back(window.controls[i].get());
  return order;
}

void MoveFocus(const LoadedWindow& window, bool backwards) {
  const std::vector<Control*> order = TabOrder(window);
  if (order.empty()) return;
  HWND focus = GetFocus();
  auto at = std::find_if(order.begin(), order.end(), [&](Control* c) { return c->hwnd() == focus; });
  size_t next;
  if (at == order.end()) next = backwards ? order.size() - 1 : 0;
  else {
    const size_t here = static_cast<size_t>(at - order.begin());
    next = backwards ? (here + order.size() - 1) % order.size() : (here + 1) % order.size();
  }
  SetFocus(order[next]->hwnd());
}

bool IsDefaultButton(const Control* control) {
  return control && control->layout().kind == ControlKind::Button && control->layout().defaultButton;
}

bool Held(int key) { return GetKeyState(key) < 0; }

}  // namespace

bool ApplyKeyboardRules(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  LoadedWindow* window = FindLoaded(GetAncestor(message.hwnd, GA_ROOT));
  if (!window) return false;
  if (message.hwnd != window->hwnd && !window->FindByHandle(message.hwnd)) return false;

  const bool ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT), alt = Held(VK_MENU);
  if (ctrl || alt) return false;
  switch (message.wParam) {
    case VK_TAB:
      MoveFocus(*window, shift);
      return true;
    case VK_ESCAPE:
      if (shift || !window->layout.escCloses) return false;
      SendMessageA(window->hwnd, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN: {
      if (shift) return false;
      Control* focused = window->FindByHandle(GetFocus());
      if (focused && focused->layout().kind == ControlKind::EditBox && focused->layout().multiLine &&
          focused->layout().inputMode != 1)
        return false;
      if (IsDefaultButton(focused)) {
        Deliver(focused->layout().onEvent);
        return true;
      }
      if (window->layout.enterMovesFocus) {
        MoveFocus(*window, false);
        return true;
      }
      for (auto& control : window->controls) {
        if (IsDefaultButton(control.get()) && IsWindowVisible(control->hwnd()) &&
            IsWindowEnabled(control->hwnd())) {
          Deliver(control->layout().onEvent);
          return true;
        }
      }
      return false;
    }
  }
  return false;
}

void SaveFocus(LoadedWindow& window) {
  HWND focus = GetFocus();
  if (window.FindByHandle(focus)) window.savedFocus = focus;
}

void RestoreFocus(LoadedWindow& window) {
  if (window.savedFocus && window.FindByHandle(window.savedFocus) && IsWindow(window.savedFocus)) {
    SetFocus(window.savedFocus);
    return;
  }
  const std::vector<Control*> order = TabOrder(window);
  if (!order.empty()) SetFocus(order.front()->hwnd());
}

bool RedirectActivationToModal(LoadedWindow& window) {
  LoadedWindow* modal = CurrentModalWindow();
  if (!modal || modal == &window || window.parent || IsWindowEnabled(window.hwnd) ||
      !IsWindowVisible(modal->hwnd))
    return false;
  // A click on the disabled window may come while another program is in front, where merely
  // activating the modal window would leave it behind that program.
  SetForegroundWindow(modal->hwnd);
  return true;
}

void RunModal(LoadedWindow& window) {
  window.modal = true;
  for (auto& other : LoadedWindows()) {
    if (other.get() == &window || other->parent) continue;
    window.disabledWindows.emplace_back(other->hwnd, IsWindowEnabled(other->hwnd));
    EnableWindow(other->hwnd, FALSE);
  }
  HWND hwnd = window.hwnd;
  if (!FindLoaded(hwnd)) return;

  LoadedWindow* previous = CurrentModalWindow();
  SetCurrentModalWindow(&window);
  MSG message;
  while (FindLoaded(hwnd)) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // The main loop must see the quit as well.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    DispatchOne(message);
  }
  SetCurrentModalWindow(previous);
}
