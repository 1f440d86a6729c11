// The skin file format: checking a file's bytes into a view of its palette, strips, texture
// and glass profile, and the colour a skin gives each caption or push button pixel.
#pragma once

#include <stdint.h>

// Layout, every number little-endian:
//    0 ".SHE"                      16 u16 skin number (1 to 40)
//    4 u16 version (1)             18 u16 section count (1 to 16)
//    6 u16 header size (40)        20 char[20] name, NUL-padded, at least one NUL
//    8 u32 total file length       40 section table: count x {u32 tag, u32 offset, u32 size}
//   12 u32 CRC-32 of every byte of the file except these four
// Sections (each required once; unknown tags are skipped):
//   PALT  16 colours, u32 0x00BBGGRR each (a COLORREF), indexed by SkinColour
//   METR  u8 texture depth (0-32), u8 glass strength, u8 flags (SkinFlag), u8 zero
//   STRP  5 strips (SkinStrip) x 64 rows of colours, top row first
//   TILE  u16 width, u16 height (1-512 each), then width*height texture bytes (128 = none)
//   GLOS  1 to 1024 glass alpha bytes, sampled from the caption's top to its bottom

constexpr uint32_t kSkinHeaderSize = 40;
constexpr uint16_t kSkinVersion = 1;
constexpr uint32_t kSkinMaxFileSize = 1u << 20;
constexpr uint32_t kSkinMaxSections = 16;
constexpr int kSkinStripRows = 64;
constexpr int kSkinMaxTileSide = 512;
constexpr int kSkinMaxGlassSamples = 1024;
constexpr int kSkinMaxTextureDepth = 32;

constexpr uint32_t SkinTag(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[3])) << 24;
}

enum SkinColour {
  kSkinFace,
  kSkinLight,
  kSkinHighlight,
  kSkinShadow,
  kSkinDarkShadow,
  kSkinFrameActive,
  kSkinFrameInactive,
  kSkinCaptionTextActive,
  kSkinCaptionTextInactive,
  kSkinGlyphActive,
  kSkinGlyphInactive,
  kSkinCaptionButtonHot,
  kSkinCaptionButtonPressed,
  kSkinCloseHot,
  kSkinButtonBorder,
  kSkinAccent,
  kSkinColourCount
};

enum SkinStrip {
  kSkinStripCaptionActive,
  kSkinStripCaptionInactive,
  kSkinStripButtonNormal,
  kSkinStripButtonHot,
  kSkinStripButtonPressed,
  kSkinStripCount
};

enum SkinFlag : uint8_t {
  kSkinFlagCaptionTextShadow = 1,
  kSkinKnownFlags = kSkinFlagCaptionTextShadow
};

enum SkinStatus {
  kSkinOk,
  kSkinTooShort,
  kSkinBadMagic,
  kSkinBadVersion,
  kSkinBadHeader,
  kSkinBadLength,
  kSkinBadChecksum,
  kSkinBadTable,
  kSkinMissingSection,
  kSkinBadSection
};

struct SkinView {
  uint16_t number;
  char name[21];
  uint32_t palette[kSkinColourCount];
  uint32_t strips[kSkinStripCount][kSkinStripRows];
  uint8_t textureDepth;
  uint8_t glassStrength;
  uint8_t flags;
  uint16_t tileWidth, tileHeight;
  const uint8_t* tile;  // points into the parsed bytes, as does glass
  uint16_t glassCount;
  const uint8_t* glass;
};

// Fills *view only when the whole file checks out; the view borrows the bytes.
SkinStatus SkinParse(const uint8_t* bytes, uint32_t size, SkinView* view);

// The CRC-32 stored at offset 12 of a file of at least 16 bytes.
uint32_t SkinChecksum(const uint8_t* bytes, uint32_t size);

// weight is how much of b goes in, 0 to 256.
uint32_t SkinMix(uint32_t a, uint32_t b, int weight);

// A caption pixel, counted from the caption's top left corner; height is the caption's.
uint32_t SkinCaptionColour(const SkinView& skin, int x, int y, int height, bool active, bool glass);

// A push button face pixel row of a button height pixels high.
uint32_t SkinButtonColour(const SkinView& skin, SkinStrip strip, int y, int height);
