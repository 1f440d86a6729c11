// Application state, start-up and shutdown, window loading, event delivery, property access
// and the fatal error box.
#include "app/frame.h"

#include <algorithm>

#include "app/external_call.h"
#include "app/loaded_window.h"

namespace {

struct ApplicationState {
  std::vector<std::unique_ptr<LoadedWindow>> windows;
  int32_t suppression = 0;
  LoadedWindow* modal = nullptr;
  bool loopStarted = false;
  HWND owner = nullptr;
};

ApplicationState& State() {
  static ApplicationState state;
  return state;
}

LoadedWindow* FindByLayout(const WindowLayout& layout) {
  for (auto& window : State().windows)
    if (&window->layout == &layout) return window.get();
  return nullptr;
}

Control& RequireControl(const WindowLayout& layout, const char* name) {
  LoadedWindow* window = FindByLayout(layout);
  Control* control = window ? window->Find(name) : nullptr;
  if (!control) FatalError("窗口或组件不存在", 0);
  return *control;
}

// Messages already waiting when a window starts loading are handled first, so that none of
// them is caught by the suppression that follows.
void DispatchWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchOne(message);
  }
}

Text TakeRunDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  Text full(path);
  const size_t slash = full.rfind('\\');
  return slash == Text::npos ? Text() : full.substr(0, slash);
}

HWND CreateOwnerWindow() {
  static const char kClass[] = "VantrelOwner";
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = kClass;
  RegisterClassA(&cls);
  return CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         cls.hInstance, nullptr);
}

[[noreturn]] void Shutdown(int exitCode) {
  FreeExternalLibraries();
  DestroyFrameIcons();
  if (State().owner) DestroyWindow(State().owner);
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace

Control* LoadedWindow::Find(const char* name) const {
  for (auto& control : controls)
    if (lstrcmpA(control->layout().name, name) == 0) return control.get();
  return nullptr;
}

Control* LoadedWindow::FindByHandle(HWND control) const {
  for (auto& c : controls)
    if (c->hwnd() == control) return c.get();
  return nullptr;
}

LoadedWindow* FindLoaded(HWND window) {
  for (auto& w : State().windows)
    if (w->hwnd == window) return w.get();
  return nullptr;
}

const std::vector<std::unique_ptr<LoadedWindow>>& LoadedWindows() { return State().windows; }
LoadedWindow* CurrentModalWindow() { return State().modal; }
void SetCurrentModalWindow(LoadedWindow* window) { State().modal = window; }
const Text& RunDirectory() {
  static const Text directory = TakeRunDirectory();
  return directory;
}

COLORREF ResolveColour(COLORREF colour) {
  return colour == kSystemFaceColour ? GetSysColor(COLOR_BTNFACE) : colour;
}

void Deliver(EventHandler handler) {
  if (State().suppression > 0 || !handler) return;
  handler();
}

void DeliverFeedback(FeedbackHandler handler, int32_t first, int32_t second) {
  if (State().suppression > 0 || !handler) return;
  handler(first, second);
}

int RunApplication(const WindowLayout& startWindow) {
  ApplicationState& state = State();
  SetCurrentDirectoryA(RunDirectory().c_str());
  state.owner = CreateOwnerWindow();
  if (!LoadWindow(startWindow, nullptr, false)) FatalError("载入启动窗口失败", 0);

  state.loopStarted = true;
  MSG message{};
  if (!state.windows.empty()) {
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchOne(message);
  }
  Shutdown(static_cast<int>(message.wParam));
}

bool LoadWindow(const WindowLayout& layout, HWND parent, bool dialog) {
  ApplicationState& state = State();
  if (LoadedWindow* open = FindByLayout(layout)) {
    if (IsIconic(open->hwnd)) ShowWindow(open->hwnd, SW_RESTORE);
    else SetActiveWindow(open->hwnd);
    return true;
  }
  if (dialog) parent = nullptr;
  else if (parent && !IsWindow(parent)) return false;

  DispatchWaitingMessages();
  ++state.suppression;

  auto window = std::make_unique<LoadedWindow>(layout);
  window->parent = parent;
  LoadedWindow& w = *window;
  state.windows.push_back(std::move(window));

  HWND owner = parent;
  if (!owner && (dialog || !layout.shownInTaskbar)) owner = state.owner;
  bool created = CreateFrameWindow(w, owner) != nullptr;
  for (size_t i = 0; created && i < layout.controls.size(); ++i) {
    const ControlLayout& row = layout.controls[i];
    switch (row.kind) {
      case ControlKind::Label: w.controls.push_back(MakeLabel(row, w)); break;
      case ControlKind::EditBox: w.controls.push_back(MakeEditBox(row, w)); break;
      case ControlKind::Button: w.controls.push_back(MakeButton(row, w)); break;
      case ControlKind::Timer: w.controls.push_back(MakeTimer(row, w)); break;
    }
    created = w.controls.back()->Create();
  }
  if (!created) {
    // A window that reached WM_NCCREATE forgets itself on its way out (WM_NCDESTROY).
    const bool stillListed = std::any_of(state.windows.begin(), state.windows.end(),
                                         [&](const auto& p) { return p.get() == &w; });
    if (stillListed && w.hwnd) DestroyWindow(w.hwnd);
    else if (stillListed) ForgetWindow(w);
    --state.suppression;
    return false;
  }

  // List order is z-order: each control goes right below the one before it.
  HWND above = HWND_TOP;
  for (auto& control : w.controls) {
    SetWindowPos(control->hwnd(), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = control->hwnd();
  }
  for (auto& control : w.controls)
    if (control->layout().visible && control->layout().kind != ControlKind::Timer)
      ShowWindow(control->hwnd(), SW_SHOWNA);

  DispatchWaitingMessages();
  --state.suppression;

  HWND hwnd = w.hwnd;
  Deliver(layout.onCreate);
  if (!FindLoaded(hwnd)) return true;  // the creation handler closed it
  if (layout.visible) {
    int show = SW_SHOW;
    if (layout.startPosition == 2) show = SW_SHOWMINIMIZED;
    else if (layout.startPosition == 3) show = SW_SHOWMAXIMIZED;
    ShowWindow(hwnd, show);
  }
  if (dialog) RunModal(w);
  return true;
}

void CloseWindow(LoadedWindow& window) {
  // No close-request handler is bound anywhere, so closing always goes on.
  if (window.modal) {
    for (auto& [hwnd, enabled] : window.disabledWindows)
      if (IsWindow(hwnd)) EnableWindow(hwnd, enabled);
    window.disabledWindows.clear();
  }
  DestroyWindow(window.hwnd);
}

void ForgetWindow(LoadedWindow& window) {
  ApplicationState& state = State();
  if (state.modal == &window) {
    state.modal = nullptr;
    // Wakes the nested loop, which may be waiting in GetMessageA.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
  }
  std::erase_if(state.windows, [&](const auto& w) { return w.get() == &window; });
  if (state.windows.empty() && state.loopStarted) PostQuitMessage(0);
}

HWND GetControlHandle(const WindowLayout& layout, const char* control) {
  if (!control) {
    LoadedWindow* window = FindByLayout(layout);
    if (!window) FatalError("窗口或组件不存在", 0);
    return window->hwnd;
  }
  return RequireControl(layout, control).hwnd();
}

Text ReadText(const WindowLayout& window, const char* control) {
  return RequireControl(window, control).ReadText();
}

void WriteText(const WindowLayout& window, const char* control, const Text& text) {
  RequireControl(window, control).WriteText(text);
}

int32_t ReadPeriod(const WindowLayout& window, const char* control) {
  return RequireControl(window, control).ReadPeriod();
}

void WritePeriod(const WindowLayout& window, const char* control, int32_t period) {
  RequireControl(window, control).WritePeriod(period);
}

void FatalError(const Text& message, int32_t code) {
  ++State().suppression;  // no event while the box is up, nor afterwards
  Text text = "运行时出错!\r\n\r\n";
  if (code != 0) text += "错误代码：" + IntegerToText(code) + "\r\n\r\n";
  if (!message.empty()) text += "错误信息：" + message + "\r\n";
  MessageBoxA(nullptr, text.c_str(), "错误", MB_ICONERROR);
  Shutdown(-1);
}

void DispatchOne(const MSG& message) {
  if (ApplyKeyboardRules(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}
