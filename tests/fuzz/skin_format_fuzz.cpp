// libFuzzer target for the skin parser: any bytes as they come, then the same bytes with their
// length and checksum made right so that the field checks behind the checksum are reached too;
// every view the parser accepts is read back in full.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "skin/library/skin_format.h"

namespace {

// Reading every texel and glass sample shows that the view's pointers stay inside the input.
void ReadBack(const SkinView& view) {
  uint32_t sum = 0;
  for (int y = 0; y < view.tileHeight; ++y)
    for (int x = 0; x < view.tileWidth; ++x) sum += SkinCaptionColour(view, x, y, view.tileHeight, true, false);
  for (int y = 0; y < view.glassCount; ++y) sum += SkinCaptionColour(view, 0, y, view.glassCount, false, true);
  for (int height = 1; height <= 2 * kSkinStripRows; ++height)
    sum += SkinButtonColour(view, kSkinStripButtonPressed, height - 1, height);
  volatile uint32_t keep = sum;
  (void)keep;
}

void Parse(const uint8_t* data, size_t size) {
  SkinView view;
  if (SkinParse(data, static_cast<uint32_t>(size), &view) == kSkinOk) ReadBack(view);
}

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kSkinMaxFileSize) return 0;
  Parse(data, size);
  if (size < kSkinHeaderSize) return 0;
  // An exactly sized copy, so that reading one byte past it is caught.
  std::vector<uint8_t> sealed(data, data + size);
  memcpy(sealed.data(), ".SHE", 4);
  Put32(sealed.data() + 8, static_cast<uint32_t>(size));
  Put32(sealed.data() + 12, SkinChecksum(sealed.data(), static_cast<uint32_t>(size)));
  Parse(sealed.data(), sealed.size());
  return 0;
}
