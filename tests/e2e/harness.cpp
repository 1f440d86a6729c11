// Implementation of the outside-in test harness.
#include "tests/e2e/harness.h"

#include <atomic>
#include <utility>

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, Duration deadline) {
  const ULONGLONG end = GetTickCount64() + deadline;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(10);
  }
}

std::string BuildDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.rfind('\\'));
}

std::string ScratchDirectory() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  for (;;) {
    std::string dir = std::string(temp) + "vantrel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
  }
}

Process::Process(Process&& other) noexcept : info_(std::exchange(other.info_, {})) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    info_ = std::exchange(other.info_, {});
  }
  return *this;
}

Process::~Process() { Kill(); }

Process Process::Start(const std::string& exe, const std::string& arguments, const std::string& directory) {
  Process process;
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                 directory.empty() ? nullptr : directory.c_str(), &startup, &process.info_);
  return process;
}

bool Process::Running() const {
  DWORD code = 0;
  return info_.hProcess && GetExitCodeProcess(info_.hProcess, &code) && code == STILL_ACTIVE;
}

DWORD Process::WaitForExit(Duration deadline) const {
  if (!info_.hProcess) return STILL_ACTIVE;
  WaitForSingleObject(info_.hProcess, deadline);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Kill() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = {};
}

Tool StartTool(const std::function<void(const std::string&)>& prepare, bool waitForMain) {
  Tool tool;
  tool.directory = ScratchDirectory();
  const std::string exe = tool.directory + "\\vantrel.exe";
  CopyFileA((BuildDirectory() + "\\vantrel.exe").c_str(), exe.c_str(), FALSE);
  if (prepare) prepare(tool.directory);
  tool.process = Process::Start(exe, "", tool.directory);
  if (tool.process.started() && waitForMain) tool.main = WaitForProcessWindow(tool.process.id(), "Vantrel助手 ", "VantrelFrame");
  return tool;
}

std::string AnswerFatalErrorBox(const Tool& tool) {
  HWND box = WaitForProcessWindow(tool.process.id(), "错误", "#32770");
  if (!box) return "";
  std::string text;
  for (HWND child : Children(box))
    if (ClassName(child) == "Static" && !WindowText(child).empty()) text = WindowText(child);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return text;
}

namespace {

struct Search {
  DWORD processId;
  const char* title;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (search->title && WindowText(window) != search->title) return TRUE;
  if (search->className && ClassName(window) != search->className) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* title, const char* className) {
  Search search{processId, title, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForProcessWindow(DWORD processId, const char* title, const char* className, Duration deadline) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(processId, title, className)) != nullptr; }, deadline);
  return found;
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return "";
  text.resize(strnlen(text.c_str(), text.size()));
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  return children;
}

RECT ClientRectOnScreen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

HWND MainControl(HWND main, size_t position) {
  const std::vector<HWND> children = Children(main);
  return position < children.size() ? children[position] : nullptr;
}

namespace {

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

void PressKey(WORD virtualKey, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(KeyInput(m, false));
  inputs.push_back(KeyInput(virtualKey, false));
  inputs.push_back(KeyInput(virtualKey, true));
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(const std::string& ascii) {
  for (char c : ascii) {
    const SHORT scan = VkKeyScanA(c);
    const WORD key = LOBYTE(scan);
    if (HIBYTE(scan) & 1) PressKey(key, {VK_SHIFT});
    else PressKey(key);
  }
}

void MoveCursor(int x, int y) {
  // Under Wine the X server may report a warp late, so that a program asking just after the
  // move still finds the cursor where it was, or it is pulled back there; so the move counts
  // once the cursor has stayed on the point for a moment.
  SetCursorPos(x, y);
  ULONGLONG since = GetTickCount64();
  WaitUntil([&] {
    POINT now{};
    GetCursorPos(&now);
    if (now.x != x || now.y != y) {
      SetCursorPos(x, y);
      since = GetTickCount64();
    }
    return GetTickCount64() - since >= 200;
  }, 5000);
}

void Click(int x, int y) {
  MoveCursor(x, y);
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void ClickWindow(HWND window) {
  const RECT r = WindowRect(window);
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, 3000);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace e2e
