// The sampling hotkeys: bare F1 starts the timer of the main window, bare F2 stops it. A key
// press reaches the program as the feedback event of a notification label.
#pragma once

#include <windows.h>

#include <cstdint>

// Identifiers of the two registrations; 0 when a registration failed.
extern int32_t StartHotkey;
extern int32_t StopHotkey;

// The program's modifier convention (1 Ctrl, 2 Shift, 4 Alt) in the platform's MOD_ flags.
uint32_t TranslateModifiers(uint32_t modifiers);

// Registers a hotkey owned by `owner` whose presses notify `label`; the identifier (33001 or
// higher) on success, 0 on failure. Every attempt uses up an identifier.
int32_t RegisterLabelHotkey(HWND owner, HWND label, uint32_t modifiers, uint32_t virtualKey);

// Takes the place of the owner's window procedure: hands each WM_HOTKEY to the label, then
// passes every message on.
LRESULT CALLBACK HotkeyHookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The creation handler's second step: F1, then F2, owned by the main window.
void RegisterSamplingHotkeys();

// The feedback handler of the notification label.
void OnHotkeyFeedback(int32_t identifier, int32_t ignored);
