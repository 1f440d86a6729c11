// The contact window's layout and the click handler that opens it.
#include "contact/contact_window.h"

#include "app/frame.h"

namespace {

constexpr LOGFONTA kContactFont{-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, ""};

// Placeholder details that reach nobody: no QQ number starts with 0, and example.com takes no mail.
constexpr char kContactText[] = "QQ： 0000000000\r\n\r\n邮箱：author@example.com";

constexpr ControlLayout kControls[] = {
    {.name = "标签1", .kind = ControlKind::Label, .left = 0, .top = 0, .width = 224, .height = 56,
     .text = kContactText, .font = &kContactFont, .textColour = 0x0080FF, .verticalAlign = 1,
     .wordWrap = true},
};

}  // namespace

const WindowLayout kContactWindow{
    .title = "",
    .borderStyle = 2,
    .controlBox = true,
    .maximizeButton = false,
    .minimizeButton = false,
    .startPosition = 1,
    .movable = true,
    .icon = nullptr,
    .backColour = kSystemFaceColour,
    .escCloses = true,
    .enterMovesFocus = false,
    .shownInTaskbar = true,
    .alwaysOnTop = false,
    .visible = true,
    .left = 50, .top = 50, .width = 230, .height = 81,
    .controls = kControls,
};

void OnContactButtonClick() { LoadWindow(kContactWindow, nullptr, true); }
