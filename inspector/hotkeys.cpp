// Hotkey registration, the hook on the owner window and the handler that switches sampling.
#include "inspector/hotkeys.h"

#include "app/frame.h"
#include "inspector/main_window.h"

int32_t StartHotkey = 0;
int32_t StopHotkey = 0;

namespace {

constexpr int32_t kFirstIdentifier = 33000;  // plus the counter, so the first is 33001
constexpr int32_t kSamplingPeriod = 20;

struct RegistrationState {
  HWND label = nullptr;
  WNDPROC savedProc = nullptr;
  int32_t counter = 0;
  int32_t highest = kFirstIdentifier;
};

RegistrationState registration;

}  // namespace

uint32_t TranslateModifiers(uint32_t modifiers) {
  switch (modifiers) {
    case 1: return MOD_CONTROL;
    case 2: return MOD_SHIFT;
    case 4: return MOD_ALT;
    case 3: return MOD_CONTROL | MOD_SHIFT;
    case 5: return MOD_CONTROL | MOD_ALT;
    case 6: return MOD_SHIFT | MOD_ALT;
    default: return modifiers;
  }
}

int32_t RegisterLabelHotkey(HWND owner, HWND label, uint32_t modifiers, uint32_t virtualKey) {
  registration.label = label;
  const uint32_t platformModifiers = TranslateModifiers(modifiers);
  // Hooked once per process; later registrations keep the hook in place.
  if (!registration.savedProc)
    registration.savedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(owner, GWL_WNDPROC, reinterpret_cast<LONG>(HotkeyHookProc)));
  const int32_t identifier = kFirstIdentifier + ++registration.counter;
  registration.highest = identifier;
  return RegisterHotKey(owner, identifier, platformModifiers, virtualKey) ? identifier : 0;
}

LRESULT CALLBACK HotkeyHookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) {
    for (int32_t id = kFirstIdentifier + 1; id <= registration.highest; ++id)
      if (static_cast<WPARAM>(id) == wParam)
        SendMessageA(registration.label, kLabelFeedbackMessage, static_cast<WPARAM>(id), 0);
  }
  return CallWindowProcA(registration.savedProc, hwnd, message, wParam, lParam);
}

void RegisterSamplingHotkeys() {
  using namespace main_controls;
  StartHotkey = RegisterLabelHotkey(GetControlHandle(kMainWindow),
                                    GetControlHandle(kMainWindow, kHotkeyLabel), 0, VK_F1);
  StopHotkey = RegisterLabelHotkey(GetControlHandle(kMainWindow),
                                   GetControlHandle(kMainWindow, kHotkeyLabel), 0, VK_F2);
}

void OnHotkeyFeedback(int32_t identifier, int32_t) {
  if (identifier == StartHotkey) WritePeriod(kMainWindow, main_controls::kSamplingTimer, kSamplingPeriod);
  if (identifier == StopHotkey) WritePeriod(kMainWindow, main_controls::kSamplingTimer, 0);
}
