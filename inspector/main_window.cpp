// The main window's layout, row by row in list order (the first row lies on top), and its
// creation handler.
#include "inspector/main_window.h"

#include "contact/contact_window.h"
#include "inspector/hotkeys.h"
#include "inspector/inspection.h"
#include "inspector/key_code.h"
#include "skin/install.h"

namespace {

using namespace main_controls;

constexpr LOGFONTA Font(LONG height) {
  return {height, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, ""};
}
constexpr LOGFONTA kFontA = Font(-19);
constexpr LOGFONTA kFontB = Font(-14);
constexpr LOGFONTA kFontC = Font(-12);

// Every label of the window: no border, face-colour background, left, vertically centred.
constexpr ControlLayout Label(const char* name, int32_t left, int32_t top, int32_t width,
                              int32_t height, const char* caption, const LOGFONTA* font,
                              COLORREF colour, FeedbackHandler onFeedback = nullptr) {
  return {.name = name, .kind = ControlKind::Label, .left = left, .top = top, .width = width,
          .height = height, .text = caption, .font = font, .textColour = colour,
          .verticalAlign = 1, .onFeedback = onFeedback};
}

// Every edit box of the window: sunken, white, one typed character, single line, tab stop.
constexpr ControlLayout EditBox(const char* name, int32_t left, int32_t top, int32_t width,
                                int32_t height, const LOGFONTA* font, COLORREF colour,
                                EventHandler onChange = nullptr) {
  return {.name = name, .kind = ControlKind::EditBox, .left = left, .top = top, .width = width,
          .height = height, .tabStop = true, .borderStyle = 1, .font = font,
          .textColour = colour, .backColour = 0xFFFFFF, .maxLength = 1, .onEvent = onChange};
}

void OnMainWindowCreated() {
  InstallSkin(16, true, 1, true);
  RegisterSamplingHotkeys();
}

constexpr ControlLayout kControls[] = {
    {.name = kContactButton, .kind = ControlKind::Button, .left = 0, .top = 0, .width = 72,
     .height = 16, .tabStop = true, .text = "联系作者", .horizontalAlign = 1, .verticalAlign = 1,
     .onEvent = OnContactButtonClick},
    Label(kProcessCaption, 159, 216, 72, 24, "进程名", &kFontA, 0x0060C0),
    EditBox(kProcessBox, 0, 217, 143, 24, &kFontB, 0x000000),
    Label(kHotkeyHint, 16, 13, 208, 35, "F1 开始获取窗口数据      F2 停止", &kFontC, 0x0000FF),
    Label(kKeyCodeCaption, 16, 343, 104, 24, "键代码查看：", &kFontA, 0x0080FF),
    EditBox(kCursorYBox, 139, 294, 63, 24, &kFontA, 0xFF0090),
    Label(kYCaption, 125, 295, 16, 24, "Y", nullptr, 0x000000),
    Label(kXCaption, 17, 294, 16, 24, "X", nullptr, 0x000000),
    {.name = kSamplingTimer, .kind = ControlKind::Timer, .left = 0, .top = 362, .width = 24,
     .height = 16, .period = 0, .onEvent = InspectionTick},
    Label(kPositionCaption, 71, 262, 80, 24, "鼠标位置", &kFontA, 0xFF0090),
    Label(kTitleCaption, 160, 167, 72, 24, "标题", &kFontA, 0x0060C0),
    Label(kClassCaption, 161, 113, 72, 29, "类名", &kFontA, 0x0060C0),
    Label(kHotkeyLabel, 160, 60, 72, 28, "句柄", &kFontA, 0x0060C0, OnHotkeyFeedback),
    EditBox(kCursorXBox, 28, 294, 63, 24, &kFontA, 0xFF0090),
    EditBox(kTitleBox, 1, 166, 143, 24, &kFontB, 0x000000),
    EditBox(kClassBox, 1, 115, 143, 24, &kFontB, 0x000000),
    EditBox(kHandleBox, 1, 64, 143, 24, &kFontB, 0x000000),
    Label(kKeyCodeLabel, 172, 339, 72, 32, "请按键", &kFontA, 0x000000),
    EditBox(kKeyCodeBox, 120, 343, 48, 24, &kFontA, 0x0080FF, ShowKeyCode),
};

}  // namespace

const WindowLayout kMainWindow{
    .title = "Vantrel助手 ",
    .borderStyle = 2,
    .controlBox = true,
    .maximizeButton = false,
    .minimizeButton = true,
    .startPosition = 1,
    .movable = true,
    .icon = "DEFAULT_ICON",
    .backColour = kSystemFaceColour,
    .escCloses = true,
    .enterMovesFocus = false,
    .shownInTaskbar = true,
    .alwaysOnTop = false,
    .visible = true,
    .left = 50, .top = 50, .width = 240, .height = 404,
    .controls = kControls,
    .onCreate = OnMainWindowCreated,
};
