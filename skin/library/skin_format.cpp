// Reading skin files field by field with every offset checked, and the pixel colours they give.
#include "skin_format.h"

namespace {

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t Crc(uint32_t crc, const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

// A colour's top byte is zero, as in a COLORREF; anything else means the bytes are not ours.
bool ReadColours(const uint8_t* p, uint32_t* out, int count) {
  for (int i = 0; i < count; ++i) {
    out[i] = Read32(p + 4 * i);
    if (out[i] >> 24) return false;
  }
  return true;
}

struct Section {
  const uint8_t* bytes;
  uint32_t size;
};

bool ReadPalette(Section s, SkinView* view) {
  return s.size == 4 * kSkinColourCount && ReadColours(s.bytes, view->palette, kSkinColourCount);
}

bool ReadMetrics(Section s, SkinView* view) {
  if (s.size != 4) return false;
  view->textureDepth = s.bytes[0];
  view->glassStrength = s.bytes[1];
  view->flags = s.bytes[2];
  return view->textureDepth <= kSkinMaxTextureDepth && (view->flags & ~kSkinKnownFlags) == 0 &&
         s.bytes[3] == 0;
}

bool ReadStrips(Section s, SkinView* view) {
  if (s.size != 4u * kSkinStripCount * kSkinStripRows) return false;
  for (int strip = 0; strip < kSkinStripCount; ++strip)
    if (!ReadColours(s.bytes + 4 * kSkinStripRows * strip, view->strips[strip], kSkinStripRows))
      return false;
  return true;
}

bool ReadTile(Section s, SkinView* view) {
  if (s.size < 4) return false;
  const uint32_t width = Read16(s.bytes), height = Read16(s.bytes + 2);
  if (width < 1 || height < 1 || width > kSkinMaxTileSide || height > kSkinMaxTileSide) return false;
  if (s.size - 4 != width * height) return false;
  view->tileWidth = static_cast<uint16_t>(width);
  view->tileHeight = static_cast<uint16_t>(height);
  view->tile = s.bytes + 4;
  return true;
}

bool ReadGlass(Section s, SkinView* view) {
  if (s.size < 1 || s.size > kSkinMaxGlassSamples) return false;
  view->glassCount = static_cast<uint16_t>(s.size);
  view->glass = s.bytes;
  return true;
}

struct SectionKind {
  uint32_t tag;
  bool (*read)(Section, SkinView*);
};

constexpr SectionKind kSections[] = {
    {SkinTag("PALT"), ReadPalette}, {SkinTag("METR"), ReadMetrics}, {SkinTag("STRP"), ReadStrips},
    {SkinTag("TILE"), ReadTile},    {SkinTag("GLOS"), ReadGlass},
};
constexpr int kSectionKinds = sizeof(kSections) / sizeof(kSections[0]);

int Channel(uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

uint32_t FromChannels(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return clamp(r) | clamp(g) << 8 | clamp(b) << 16;
}

// rows is at most 1024 and height is capped, so y * rows stays well inside 32 bits.
int Row(int y, int height, int rows) {
  if (height < 1) height = 1;
  if (height > (1 << 20)) height = 1 << 20;
  if (y < 0) y = 0;
  if (y >= height) y = height - 1;
  return y * rows / height;
}

}  // namespace

uint32_t SkinChecksum(const uint8_t* bytes, uint32_t size) {
  if (size < 16) return 0;
  uint32_t crc = Crc(0xFFFFFFFFu, bytes, 12);
  return Crc(crc, bytes + 16, size - 16) ^ 0xFFFFFFFFu;
}

SkinStatus SkinParse(const uint8_t* bytes, uint32_t size, SkinView* view) {
  if (!bytes || size < kSkinHeaderSize) return kSkinTooShort;
  if (bytes[0] != '.' || bytes[1] != 'S' || bytes[2] != 'H' || bytes[3] != 'E') return kSkinBadMagic;
  if (Read16(bytes + 4) != kSkinVersion) return kSkinBadVersion;
  if (Read16(bytes + 6) != kSkinHeaderSize) return kSkinBadHeader;
  if (Read32(bytes + 8) != size || size > kSkinMaxFileSize) return kSkinBadLength;
  if (Read32(bytes + 12) != SkinChecksum(bytes, size)) return kSkinBadChecksum;

  SkinView parsed{};
  parsed.number = Read16(bytes + 16);
  const uint32_t count = Read16(bytes + 18);
  if (parsed.number < 1 || parsed.number > 40) return kSkinBadHeader;
  if (bytes[20 + 19] != 0) return kSkinBadHeader;
  for (int i = 0; i < 20; ++i) parsed.name[i] = static_cast<char>(bytes[20 + i]);

  if (count < 1 || count > kSkinMaxSections) return kSkinBadTable;
  const uint32_t tableEnd = kSkinHeaderSize + 12 * count;
  if (tableEnd > size) return kSkinBadTable;

  bool seen[kSectionKinds] = {};
  for (uint32_t entry = 0; entry < count; ++entry) {
    const uint8_t* row = bytes + kSkinHeaderSize + 12 * entry;
    const uint32_t tag = Read32(row), offset = Read32(row + 4), length = Read32(row + 8);
    // Written as two comparisons so that offset + length cannot wrap around.
    if (offset < tableEnd || offset > size || length > size - offset) return kSkinBadTable;
    for (int kind = 0; kind < kSectionKinds; ++kind) {
      if (kSections[kind].tag != tag) continue;
      if (seen[kind]) return kSkinBadTable;
      seen[kind] = true;
      if (!kSections[kind].read(Section{bytes + offset, length}, &parsed)) return kSkinBadSection;
    }
  }
  for (bool present : seen)
    if (!present) return kSkinMissingSection;
  *view = parsed;
  return kSkinOk;
}

uint32_t SkinMix(uint32_t a, uint32_t b, int weight) {
  if (weight < 0) weight = 0;
  if (weight > 256) weight = 256;
  auto mix = [&](int shift) {
    return (Channel(a, shift) * (256 - weight) + Channel(b, shift) * weight + 128) >> 8;
  };
  return FromChannels(mix(0), mix(8), mix(16));
}

uint32_t SkinCaptionColour(const SkinView& skin, int x, int y, int height, bool active, bool glass) {
  const int row = Row(y, height, kSkinStripRows);
  const uint32_t base =
      skin.strips[active ? kSkinStripCaptionActive : kSkinStripCaptionInactive][row];
  const int tx = (x < 0 ? -x : x) % skin.tileWidth, ty = (y < 0 ? -y : y) % skin.tileHeight;
  const int texel = skin.tile[ty * skin.tileWidth + tx] - 128;
  const int shade = texel * skin.textureDepth / 128;
  uint32_t colour = FromChannels(Channel(base, 0) + shade, Channel(base, 8) + shade,
                                 Channel(base, 16) + shade);
  if (glass) {
    const int alpha = skin.glass[Row(y, height, skin.glassCount)] * skin.glassStrength / 255;
    colour = SkinMix(colour, 0xFFFFFF, alpha);
  }
  return colour;
}

uint32_t SkinButtonColour(const SkinView& skin, SkinStrip strip, int y, int height) {
  if (strip < kSkinStripButtonNormal || strip >= kSkinStripCount) strip = kSkinStripButtonNormal;
  return skin.strips[strip][Row(y, height, kSkinStripRows)];
}
