// The sampling benchmark: the cost of one inspection tick next to the platform work a tick
// cannot avoid, the real program's share of a core while it samples, and the memory, windows
// and handles of a process across 10,000 ticks. Run as `tools/wine-exec build/bin/bench.exe`.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame.h"
#include "inspector/hotkeys.h"
#include "inspector/inspection.h"
#include "inspector/main_window.h"
#include "tools/main_window_search.h"

namespace {

constexpr int kTargetChildren = 16;
constexpr int kDesktopWindows = 240;
constexpr int kTimedTicks = 2000;
constexpr int kSoakTicks = 10000;
constexpr DWORD kSamplingSeconds = 10;
constexpr char kScratchArgument[] = "--in-scratch";

// The target: a top-level window of its own thread (so that the text questions cross threads,
// as they do for other programs' windows) with 16 children, as a dialog has. Each lies below
// the one before it and is smaller, so every one contains the cursor and the tick's sibling walk
// visits and takes all of them. Around it, 240 more top-level windows fill the desktop, so that
// the platform's window searches have the work of a busy desktop.
constexpr RECT kTargetRect{650, 100, 1000, 450};  // right of the main window
const POINT kCursor{(kTargetRect.left + kTargetRect.right) / 2, (kTargetRect.top + kTargetRect.bottom) / 2};

DWORD WINAPI TargetThread(void* ready) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = "VantrelBenchTarget";
  RegisterClassA(&cls);
  const int width = kTargetRect.right - kTargetRect.left, height = kTargetRect.bottom - kTargetRect.top;
  HWND top = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cls.lpszClassName, "bench target",
                             WS_POPUP | WS_VISIBLE, kTargetRect.left, kTargetRect.top, width, height,
                             nullptr, nullptr, cls.hInstance, nullptr);
  for (int i = 0; i < kDesktopWindows; ++i)
    CreateWindowExA(WS_EX_TOOLWINDOW, cls.lpszClassName, "desktop filler", WS_POPUP | WS_VISIBLE,
                    kTargetRect.left + (i % 40) * 8, kTargetRect.bottom + 20 + (i / 40) * 8, 6, 6, nullptr,
                    nullptr, cls.hInstance, nullptr);
  HWND above = HWND_TOP;
  for (int i = 0; i < kTargetChildren; ++i) {
    const std::string title = "target " + std::to_string(i);
    HWND child = CreateWindowExA(0, cls.lpszClassName, title.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 i * 4, i * 4, width - i * 8, height - i * 8, top, nullptr, cls.hInstance,
                                 nullptr);
    SetWindowPos(child, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = child;
  }
  SetEvent(static_cast<HANDLE>(ready));
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

void StartTargets() {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, TargetThread, ready, 0, nullptr));
  WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / frequency;  // milliseconds
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The platform work of a tick, bare: the same calls in the same order, with nothing written.
std::string floorTitle;
char floorClass[256];
DWORD floorSink = 0;

void FloorTick() {
  POINT point;
  GetCursorPos(&point);
  HWND found = WindowFromPoint(point);
  if (found) {
    RECT best;
    GetWindowRect(found, &best);
    HWND parent = GetParent(found);
    if (parent) {
      const auto area = [](const RECT& r) {
        return static_cast<int32_t>(static_cast<uint32_t>(r.bottom - r.top) * static_cast<uint32_t>(r.right - r.left));
      };
      for (HWND c = GetWindow(found, GW_HWNDNEXT); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        if (PtInRect(&r, point) && GetParent(c) == parent && IsWindowVisible(c) && area(r) < area(best)) {
          found = c;
          best = r;
        }
      }
    }
  }
  GetClassNameA(found, floorClass, 255);
  DWORD_PTR length = 0;
  if (IsWindow(found) && SendMessageTimeoutA(found, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 200, &length) &&
      static_cast<LONG_PTR>(length) > 0) {
    floorTitle.resize(length + 1);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(found, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(floorTitle.data()),
                        SMTO_ABORTIFHUNG, 200, &copied);
  }
  GetCursorPos(&point);
  GetCursorPos(&point);
  HWND ancestor = found;
  for (HWND up = GetParent(ancestor); up; up = GetParent(ancestor)) ancestor = up;
  DWORD processId = 0;
  GetWindowThreadProcessId(ancestor, &processId);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
      if (entry.th32ProcessID == processId) floorSink += entry.cntThreads;
    CloseHandle(snapshot);
  }
}

struct Percentiles {
  double p50, p99;
};

Percentiles Of(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2], samples[samples.size() * 99 / 100]};
}

struct Resources {
  SIZE_T workingSet = 0, privateUsage = 0;
  int windows = 0;
  DWORD gdi = 0, user = 0, kernel = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwnWindows(HWND window, LPARAM count) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId()) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountChild, count);
  }
  return TRUE;
}

Resources Measure() {
  Resources r;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    r.workingSet = memory.WorkingSetSize;
    r.privateUsage = memory.PrivateUsage;
  }
  EnumWindows(CountOwnWindows, reinterpret_cast<LPARAM>(&r.windows));
  r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  GetProcessHandleCount(GetCurrentProcess(), &r.kernel);
  return r;
}

std::string Reported(unsigned long long value, const char* unit = "") {
  return value ? std::to_string(value) + unit : std::string("not reported");
}

void PrintResources(const char* when, const Resources& r) {
  std::printf("  %-22s working set %s, private %s, windows %d, GDI objects %s, USER objects %s, kernel handles %s\n",
              when, Reported(r.workingSet / 1024, " KiB").c_str(), Reported(r.privateUsage / 1024, " KiB").c_str(),
              r.windows, Reported(r.gdi).c_str(), Reported(r.user).c_str(), Reported(r.kernel).c_str());
}

// The in-process part, run as the creation handler of the benchmark's own hidden start-up
// window: the frame is then set up as in the program (run directory included), and the main
// window loads with its real creation handler, which writes the skinning library into this
// scratch directory and registers F1 and F2. Those two are given back at once, so that a key
// pressed meanwhile starts no timer of its own.
void RunInProcess();

const WindowLayout kBenchWindow{
    .title = "Vantrel bench", .borderStyle = 0, .controlBox = false, .maximizeButton = false,
    .minimizeButton = false, .startPosition = 0, .movable = false, .icon = nullptr,
    .backColour = kSystemFaceColour, .escCloses = false, .enterMovesFocus = false,
    .shownInTaskbar = false, .alwaysOnTop = false, .visible = false,
    .left = 0, .top = 0, .width = 10, .height = 10, .controls = {}, .onCreate = RunInProcess,
};

void RunInProcess() {
  if (!LoadWindow(kMainWindow, nullptr, false)) {
    std::printf("the main window could not be loaded\n");
    return;
  }
  HWND main = GetControlHandle(kMainWindow);
  UnregisterHotKey(main, StartHotkey);
  UnregisterHotKey(main, StopHotkey);
  SetCursorPos(kCursor.x, kCursor.y);
  PumpMessages();

  for (int i = 0; i < 100; ++i) {  // warm-up
    InspectionTick();
    FloorTick();
    PumpMessages();
  }
  std::vector<double> ticks, floors;
  for (int i = 0; i < kTimedTicks; ++i) {
    double start = Now();
    InspectionTick();
    ticks.push_back(Now() - start);
    PumpMessages();
    start = Now();
    FloorTick();
    floors.push_back(Now() - start);
    PumpMessages();
  }
  const Percentiles tick = Of(ticks), bare = Of(floors);
  std::printf("Inspection tick over a window with %d nested children, on a desktop of %d more windows\n"
              "(%d ticks, interleaved with the floor):\n",
              kTargetChildren, kDesktopWindows, kTimedTicks);
  std::printf("  the box shows: handle %s, class %s, title \"%s\", process %s\n",
              ReadText(kMainWindow, main_controls::kHandleBox).c_str(), ReadText(kMainWindow, main_controls::kClassBox).c_str(),
              ReadText(kMainWindow, main_controls::kTitleBox).c_str(), ReadText(kMainWindow, main_controls::kProcessBox).c_str());
  std::printf("  tick   p50 %7.3f ms   p99 %7.3f ms     goal: p50 <= 4 ms\n", tick.p50, tick.p99);
  std::printf("  floor  p50 %7.3f ms   p99 %7.3f ms\n", bare.p50, bare.p99);
  std::printf("  ratio  p50 %7.3f      p99 %7.3f         goal: <= 1.25\n", tick.p50 / bare.p50, tick.p99 / bare.p99);

  // Where the tick's time beyond the floor goes: its writes into the six boxes, its three
  // readings of the handle box, and the hung-thread question the floor does not ask.
  const Text handle = ReadText(kMainWindow, main_controls::kHandleBox);
  const HWND shown = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(handle.c_str(), nullptr, 10)));
  static constexpr const char* kBoxes[] = {main_controls::kHandleBox, main_controls::kClassBox,
                                           main_controls::kTitleBox, main_controls::kCursorXBox,
                                           main_controls::kCursorYBox, main_controls::kProcessBox};
  Text texts[6];
  for (int b = 0; b < 6; ++b) texts[b] = ReadText(kMainWindow, kBoxes[b]);
  std::vector<double> writes, bareWrites, reads, hung;
  for (int i = 0; i < kTimedTicks / 3; ++i) {
    double start = Now();
    for (int b = 0; b < 6; ++b) WriteText(kMainWindow, kBoxes[b], texts[b]);
    writes.push_back(Now() - start);
    PumpMessages();
    start = Now();
    for (int b = 0; b < 6; ++b) SetWindowTextA(GetControlHandle(kMainWindow, kBoxes[b]), texts[b].c_str());
    bareWrites.push_back(Now() - start);
    PumpMessages();
    start = Now();
    for (int n = 0; n < 3; ++n) ReadText(kMainWindow, main_controls::kHandleBox);
    reads.push_back(Now() - start);
    start = Now();
    floorSink += IsHungAppWindow(shown);
    hung.push_back(Now() - start);
  }
  std::printf("  of which p50: six box writes %.3f ms (the platform's SetWindowTextA alone: %.3f ms),\n"
              "                three handle box reads %.3f ms, IsHungAppWindow %.3f ms\n",
              Of(writes).p50, Of(bareWrites).p50, Of(reads).p50, Of(hung).p50);

  const Resources before = Measure();
  for (int i = 0; i < kSoakTicks; ++i) {
    InspectionTick();
    PumpMessages();
  }
  const Resources after = Measure();
  std::printf("The benchmark process across %d ticks (goal: no growth):\n", kSoakTicks);
  PrintResources("before", before);
  PrintResources("after", after);
  std::printf("  growth: working set %+lld KiB, windows %+d, kernel handles %+ld\n",
              (static_cast<long long>(after.workingSet) - static_cast<long long>(before.workingSet)) / 1024,
              after.windows - before.windows, static_cast<long>(after.kernel) - static_cast<long>(before.kernel));
  std::fflush(stdout);

  PostMessageA(main, WM_CLOSE, 0, 0);
  PostMessageA(GetControlHandle(kBenchWindow), WM_CLOSE, 0, 0);
}

void PressKey(WORD key) {
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = key;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

double FileTimeMs(const FILETIME& t) {
  return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return FileTimeMs(kernel) + FileTimeMs(user);
}

// The real program from its own scratch directory, sampling over the target for ten seconds.
// Runs before the main window is loaded here, while F1 and F2 are still free.
void MeasureTheProgram(const std::string& directory) {
  const std::string exe = directory + "\\vantrel.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                      &startup, &info)) {
    std::printf("vantrel.exe could not be started\n");
    return;
  }
  HWND main = nullptr;
  for (int i = 0; i < 1000 && !(main = FindMainWindow(info.dwProcessId)); ++i) Sleep(10);
  if (main) {
    SetCursorPos(kCursor.x, kCursor.y);
    PressKey(VK_F1);
    Sleep(500);  // the first ticks, past start-up
    const double cpu0 = CpuMs(info.hProcess), wall0 = Now();
    Sleep(kSamplingSeconds * 1000);
    const double cpu1 = CpuMs(info.hProcess), wall1 = Now();
    PressKey(VK_F2);
    HWND handleBox = nullptr;
    int position = 0;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (position++ == 16) handleBox = c;
    char shown[32] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(handleBox, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown), SMTO_ABORTIFHUNG, 2000, &copied);
    std::printf("vantrel.exe sampling over the target for %lu s (its handle box shows %s):\n", kSamplingSeconds,
                shown[0] ? shown : "nothing");
    if (cpu0 < 0 || cpu1 < 0) std::printf("  CPU time: not reported\n");
    else std::printf("  CPU share of one core: %.1f %% (%.0f ms of CPU in %.0f ms)\n",
                     100.0 * (cpu1 - cpu0) / (wall1 - wall0), cpu1 - cpu0, wall1 - wall0);
  } else {
    std::printf("vantrel.exe showed no main window\n");
  }
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

std::string ModuleDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.rfind('\\'));
}

void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = directory + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

// Copies the benchmark and the program into a fresh scratch directory and runs the copy there,
// so that the files the program writes beside itself stay out of the build directory.
int RunInScratch() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string scratch = std::string(temp) + "vantrel-bench-" + std::to_string(GetCurrentProcessId());
  const std::string tool = scratch + "\\tool";
  CreateDirectoryA(scratch.c_str(), nullptr);
  CreateDirectoryA(tool.c_str(), nullptr);
  const std::string build = ModuleDirectory();
  const std::string bench = scratch + "\\bench.exe";
  if (!CopyFileA((build + "\\bench.exe").c_str(), bench.c_str(), FALSE) ||
      !CopyFileA((build + "\\vantrel.exe").c_str(), (tool + "\\vantrel.exe").c_str(), FALSE)) {
    std::printf("bench.exe and vantrel.exe could not be copied to %s\n", scratch.c_str());
    RemoveTree(scratch);
    return 1;
  }
  std::string commandLine = "\"" + bench + "\" " + kScratchArgument;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  DWORD code = 1;
  if (CreateProcessA(bench.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, scratch.c_str(), &startup, &info)) {
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  RemoveTree(scratch);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) != kScratchArgument) return RunInScratch();
  setvbuf(stdout, nullptr, _IONBF, 0);
  StartTargets();
  MeasureTheProgram(ModuleDirectory() + "\\tool");
  return RunApplication(kBenchWindow);
}
