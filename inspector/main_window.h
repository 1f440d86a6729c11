// The main window: its layout, the names its handlers use for its controls, and its creation
// handler.
#pragma once

#include "app/layout.h"

extern const WindowLayout kMainWindow;

// Control names, shared by the layout rows and the handlers that address them.
namespace main_controls {
inline constexpr char kContactButton[] = "按钮1";
inline constexpr char kProcessCaption[] = "标签10";
inline constexpr char kProcessBox[] = "进程编辑框1";
inline constexpr char kHotkeyHint[] = "标签9";
inline constexpr char kKeyCodeCaption[] = "标签8";
inline constexpr char kCursorYBox[] = "Y编辑框";
inline constexpr char kYCaption[] = "标签7";
inline constexpr char kXCaption[] = "标签6";
inline constexpr char kSamplingTimer[] = "时钟1";
inline constexpr char kPositionCaption[] = "标签5";
inline constexpr char kTitleCaption[] = "标签4";
inline constexpr char kClassCaption[] = "标签3";
inline constexpr char kHotkeyLabel[] = "标签2";
inline constexpr char kCursorXBox[] = "X编辑框";
inline constexpr char kTitleBox[] = "标题编辑框4";
inline constexpr char kClassBox[] = "类名编辑框";
inline constexpr char kHandleBox[] = "句柄编辑框";
inline constexpr char kKeyCodeLabel[] = "标签1";
inline constexpr char kKeyCodeBox[] = "编辑框1";
}  // namespace main_controls
