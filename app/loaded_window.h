// The frame's inside: a window that exists at run time, its controls, and event delivery.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/layout.h"
#include "app/text.h"

struct LoadedWindow;

// One control of a loaded window: its layout row, its native window and what it owns.
// Each kind (label, edit box, button, timer) is a subclass with its own file.
class Control {
 public:
  Control(const ControlLayout& layout, LoadedWindow& window) : layout_(layout), window_(window) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  // Creates the native window, hidden, as a child of the loaded window.
  virtual bool Create() = 0;

  virtual Text ReadText() const { return Text(); }
  virtual void WriteText(const Text&) {}
  virtual int32_t ReadPeriod() const { return 0; }
  virtual void WritePeriod(int32_t) {}

  const ControlLayout& layout() const { return layout_; }
  LoadedWindow& window() const { return window_; }
  HWND hwnd() const { return hwnd_; }

 protected:
  // Messages of the control's native window; the default passes them to the base procedure.
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // Creates a native window of one of the frame's own classes, whose procedure is ControlProc.
  bool CreateOwnClass(const char* className, DWORD style, UINT classStyle);
  // Creates a system control (EDIT, BUTTON) and subclasses it with ControlProc.
  bool CreateSubclassed(const char* className, DWORD style, DWORD exStyle);
  // Applies a border style (0 to 6) to the native window with SWP_FRAMECHANGED.
  void ApplyBorderStyle(int borderStyle);
  // Creates the font from the layout's record (none: nullptr, meaning DEFAULT_GUI_FONT).
  HFONT CreateLayoutFont() const;

  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  const ControlLayout& layout_;
  LoadedWindow& window_;
  HWND hwnd_ = nullptr;
  WNDPROC baseProc_ = DefWindowProcA;
};

std::unique_ptr<Control> MakeLabel(const ControlLayout&, LoadedWindow&);
std::unique_ptr<Control> MakeEditBox(const ControlLayout&, LoadedWindow&);
std::unique_ptr<Control> MakeButton(const ControlLayout&, LoadedWindow&);
std::unique_ptr<Control> MakeTimer(const ControlLayout&, LoadedWindow&);

struct LoadedWindow {
  explicit LoadedWindow(const WindowLayout& l) : layout(l) {}

  Control* Find(const char* name) const;
  Control* FindByHandle(HWND control) const;

  const WindowLayout& layout;
  HWND hwnd = nullptr;
  HWND parent = nullptr;  // the parent window it was loaded with, or none
  std::vector<std::unique_ptr<Control>> controls;

  // Modal and focus state.
  bool modal = false;
  std::vector<std::pair<HWND, BOOL>> disabledWindows;  // window, enabled state before
  HWND savedFocus = nullptr;
};

// Event delivery: nothing reaches a handler while the suppression counter is above 0.
void Deliver(EventHandler handler);
void DeliverFeedback(FeedbackHandler handler, int32_t first, int32_t second);

// Replaces the system colour marker by the face colour of this moment.
COLORREF ResolveColour(COLORREF colour);

// The loaded window whose native window this is, or nullptr.
LoadedWindow* FindLoaded(HWND window);
const std::vector<std::unique_ptr<LoadedWindow>>& LoadedWindows();
LoadedWindow* CurrentModalWindow();
void SetCurrentModalWindow(LoadedWindow* window);

// Closing (WM_CLOSE) and the end of a window (WM_NCDESTROY), in frame.cpp.
void CloseWindow(LoadedWindow& window);
void ForgetWindow(LoadedWindow& window);

// The frame window class, in window_frame.cpp.
HWND CreateFrameWindow(LoadedWindow& window, HWND owner);
void DestroyFrameIcons();

// Keyboard, focus and the modal run, in keyboard.cpp.
bool ApplyKeyboardRules(const MSG& message);
void SaveFocus(LoadedWindow& window);
void RestoreFocus(LoadedWindow& window);
bool RedirectActivationToModal(LoadedWindow& window);
void RunModal(LoadedWindow& window);

// One message of any loop: keyboard rules first, then translation and dispatch.
void DispatchOne(const MSG& message);
