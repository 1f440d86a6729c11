// The skin's byte arrays as the installation reads them, from the assembled storage form.
#include "skin/skin_data.h"

namespace {

// Each array starts with its dimension count and byte count; the bytes follow.
struct StoredArray {
  uint32_t dimensions;
  uint32_t count;
  uint8_t bytes[1];
};

ByteArray View(const StoredArray* stored) {
  if (!stored) return {nullptr, 0};
  return {stored->bytes, stored->count};
}

}  // namespace

extern "C" const StoredArray vantrel_skin_library;
extern "C" const StoredArray* const vantrel_skin_table[41];

ByteArray SkinLibraryData() { return View(&vantrel_skin_library); }

ByteArray OwnSkinFileData(int32_t skinNumber) {
  if (skinNumber < 1 || skinNumber > 40) return {nullptr, 0};
  return View(vantrel_skin_table[skinNumber]);
}
