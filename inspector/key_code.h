// The key-code viewer: the signed code of the character typed into the key-code box.
#pragma once

#include <cstdint>
#include <optional>

#include "app/text.h"

// The byte at a position counted from 1, as a signed 8-bit value; the first byte when the
// position is left out; 0 for any position outside the text.
int32_t CharCodeAt(const Text& text, std::optional<int32_t> position = std::nullopt);

// The content-changed handler of the key-code box.
void ShowKeyCode();
