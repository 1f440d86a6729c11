// The inspection tick: the window under the cursor, its class, title, the cursor position and
// its process, written into the six boxes of the main window.
#pragma once

#include <windows.h>

#include "app/text.h"

// How long the title query waits for each answer of a window before it takes the empty title.
inline constexpr UINT kTitleTimeoutMs = 200;

// The timer event handler of the main window's sampling timer.
void InspectionTick();

// The smallest visible window containing the cursor among the one WindowFromPoint finds and
// its siblings below it; 0 when there is none.
HWND FindWindowUnderCursor();

// The class name; the 255 blanks of the buffer when the platform writes nothing.
Text QueryClassName(HWND window);

// The whole window text, or the empty text for no window, no text or no answer in time.
Text QueryWindowTitle(HWND window);
