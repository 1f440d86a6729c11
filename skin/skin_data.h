// The byte arrays that the skin installation writes, as the program's constant data holds
// them: a 32-bit dimension count (1), a 32-bit byte count, then the bytes.
#pragma once

#include <cstdint>

struct ByteArray {
  const uint8_t* bytes;
  uint32_t count;
};

// The skinning library file, SkinH_EL.dll: 88,576 bytes.
ByteArray SkinLibraryData();

// The skin file that a skin number from 1 to 40 has of its own; {nullptr, 0} for 11, for
// 29, 30 and 33 (which share another number's bytes) and for every number outside 1 to 40.
ByteArray OwnSkinFileData(int32_t skinNumber);
