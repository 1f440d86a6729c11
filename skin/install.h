// Writes the skinning library and a skin file out of the program's constant data and attaches
// the skin.
#pragma once

#include <cstdint>

#include "skin/skin_data.h"

// The bytes a skin number writes: 29, 30 and 33 share those of 27, 1 and 25; 11 and every
// number outside 1 to 40 have none ({nullptr, 0}).
ByteArray SkinFileFor(int32_t skinNumber);

void InstallSkin(int32_t skinNumber, bool numberGiven, int32_t aeroRequest, bool aeroOptional);
