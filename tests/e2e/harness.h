// Drives real programs from outside, through Win32 calls only: start a copy in a scratch
// directory, find its windows, wait for conditions, send input and read the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Milliseconds. (<chrono> cannot be compiled with the GBK execution character set.)
using Duration = DWORD;

inline constexpr Duration kDeadline = 10000;

// Polls a condition until it holds or the deadline passes; the last outcome.
bool WaitUntil(const std::function<bool()>& condition, Duration deadline = kDeadline);

// The directory of the running test program (where the build puts every program).
std::string BuildDirectory();

// A fresh, empty directory of its own under the temporary directory.
std::string ScratchDirectory();

// A program started by a test. Its destructor ends the process (by its id) if it still runs,
// so a failing test leaves nothing behind.
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  // Starts `exe` with the given working directory and command-line arguments.
  static Process Start(const std::string& exe, const std::string& arguments = "",
                       const std::string& directory = "");

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool Running() const;
  // The exit code once the process has ended within the deadline; STILL_ACTIVE otherwise.
  DWORD WaitForExit(Duration deadline = kDeadline) const;
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// A copy of vantrel.exe in a fresh scratch directory, started from there.
struct Tool {
  std::string directory;
  Process process;
  HWND main = nullptr;  // the main window, once it is shown
};

// Starts a copy and, unless told not to, waits for its main window to be visible. `prepare`
// may put files into the scratch directory before the start.
Tool StartTool(const std::function<void(const std::string& directory)>& prepare = nullptr,
               bool waitForMain = true);

// The text of the fatal error box ("错误") of a started tool, read once it shows, after which
// the box is answered with OK; empty when no box came.
std::string AnswerFatalErrorBox(const Tool& tool);

// The visible top-level window of a process with that exact title, or nullptr.
HWND FindProcessWindow(DWORD processId, const char* title, const char* className = nullptr);
HWND WaitForProcessWindow(DWORD processId, const char* title, const char* className = nullptr,
                          Duration deadline = kDeadline);

// Window queries that never block on a hung window.
std::string WindowText(HWND window);
std::string ClassName(HWND window);
std::vector<HWND> Children(HWND parent);  // direct children, top of the z-order first
RECT ClientRectOnScreen(HWND window);
RECT WindowRect(HWND window);

// The main window's child control at list position (0-based z-order position).
HWND MainControl(HWND main, size_t position);

// Input, as a user gives it.
void PressKey(WORD virtualKey, std::initializer_list<WORD> modifiers = {});
void TypeText(const std::string& ascii);
void MoveCursor(int x, int y);
void Click(int x, int y);
void ClickWindow(HWND window);  // the centre of its window rectangle

// Brings a window to the front and waits until it is the foreground window.
bool BringToFront(HWND window);

// A pixel of the screen (the window must be on top where it is read).
COLORREF ScreenPixel(int x, int y);

// The keyboard focus of the thread that owns the window.
HWND FocusOf(HWND window);

}  // namespace e2e
