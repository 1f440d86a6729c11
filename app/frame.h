// What the application frame offers the program: start-up, window loading, property access by
// window and control name, native handles, the run directory and the fatal error.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/layout.h"
#include "app/text.h"

// Runs the program from start-up to shutdown with the given start-up window; the result is
// the process exit code.
int RunApplication(const WindowLayout& startWindow);

// Loads a window from its layout (in dialog mode: runs it modally and returns once it has been
// closed). False when the native window could not be created.
bool LoadWindow(const WindowLayout& layout, HWND parent, bool dialog);

// The native handle of a control, or of the window itself when no control is named.
HWND GetControlHandle(const WindowLayout& window, const char* control = nullptr);

// Property access. Text: an edit box's content (read from the control at this moment), a
// label's or button's caption. Period: a timer's, in milliseconds.
Text ReadText(const WindowLayout& window, const char* control);
void WriteText(const WindowLayout& window, const char* control, const Text& text);
int32_t ReadPeriod(const WindowLayout& window, const char* control);
void WritePeriod(const WindowLayout& window, const char* control, int32_t period);

// The executable's directory, without a trailing separator.
const Text& RunDirectory();

// Shows the fatal error box, shuts down and ends the process with exit code -1.
[[noreturn]] void FatalError(const Text& message, int32_t code);
