// The key-code viewer's routines.
#include "inspector/key_code.h"

#include "app/frame.h"
#include "inspector/main_window.h"

int32_t CharCodeAt(const Text& text, std::optional<int32_t> position) {
  const uint32_t index = position ? static_cast<uint32_t>(*position) - 1u : 0u;
  // Unsigned, so a position of 0 or below is past the end as well. An index equal to the
  // length reads the terminating zero.
  if (static_cast<uint32_t>(text.size()) < index) return 0;
  return static_cast<int8_t>(text.c_str()[index]);
}

void ShowKeyCode() {
  using namespace main_controls;
  WriteText(kMainWindow, kKeyCodeLabel, IntegerToText(CharCodeAt(ReadText(kMainWindow, kKeyCodeBox))));
}
