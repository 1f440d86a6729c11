// The built-in description of a window and its controls, as plain tables.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

// Colour value that stands for the system's 3D face colour, resolved at the moment of use.
inline constexpr COLORREF kSystemFaceColour = 0xFF000000;

// The private message by which a label is handed a notification; it raises the label's
// feedback event with the message's wParam and lParam.
inline constexpr UINT kLabelFeedbackMessage = WM_APP + 0x75;

enum class ControlKind { Label, EditBox, Button, Timer };

// Handlers the layouts bind to events. An event without a binding does nothing.
using EventHandler = void (*)();
using FeedbackHandler = void (*)(int32_t first, int32_t second);

struct ControlLayout {
  const char* name;
  ControlKind kind;
  int32_t left, top, width, height;
  bool visible = true;
  bool disabled = false;
  bool tabStop = false;
  int32_t tabIndex = 0;

  // Kind settings; each kind reads the ones that belong to it.
  const char* text = "";            // label and button caption, edit box content
  int borderStyle = 0;              // label, edit box: 0 to 6
  const LOGFONTA* font = nullptr;   // none: DEFAULT_GUI_FONT
  COLORREF textColour = 0x000000;
  COLORREF backColour = kSystemFaceColour;
  int horizontalAlign = 0;          // 0 left, 1 centre, 2 right
  int verticalAlign = 0;            // label, button: 0 top, 1 centre, 2 bottom
  bool wordWrap = false;            // label
  bool hideSelection = true;        // edit box
  int32_t maxLength = 0;            // edit box: 0 is the platform's maximum
  bool multiLine = false;           // edit box
  int scrollBars = 0;               // edit box: 0 none, 1 horizontal, 2 vertical, 3 both
  int inputMode = 0;                // edit box: 0 normal, 1 read-only, 2 password
  char passwordChar = '*';          // edit box
  int letterCase = 0;               // edit box: 0 unchanged, 1 lower, 2 upper
  int32_t selectionStart = 0, selectionLength = 0;  // edit box
  bool defaultButton = false;       // button
  int32_t period = 0;               // timer, milliseconds

  // The kind's event: click, content changed or timer. Labels raise the feedback event.
  EventHandler onEvent = nullptr;
  FeedbackHandler onFeedback = nullptr;
};

struct WindowLayout {
  const char* title;
  int borderStyle;          // 0 none, 1 sizable, 2 fixed, 3/4 tool window, 5/6 with client edge
  bool controlBox;
  bool maximizeButton, minimizeButton;
  int startPosition;        // 0 stored place, 1 centred, 2 minimized, 3 maximized
  bool movable;
  const char* icon;         // icon resource; none: the executable's "DEFAULT_ICON"
  COLORREF backColour;
  bool escCloses;
  bool enterMovesFocus;
  bool shownInTaskbar;
  bool alwaysOnTop;
  bool visible;
  int32_t left, top, width, height;
  std::span<const ControlLayout> controls;
  EventHandler onCreate = nullptr;
};
