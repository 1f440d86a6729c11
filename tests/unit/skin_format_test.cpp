// The skin files and library bytes the program carries, and the parser that reads skin files:
// every shipped skin checks out at its size and is a theme of its own, and damaged files are
// refused for the reason that applies.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "skin/library/skin_format.h"
#include "skin/skin_data.h"

namespace {

struct SkinSize {
  int number;
  uint32_t bytes;
};

constexpr SkinSize kSizes[] = {
    {1, 15574},  {2, 12105},  {3, 19786},  {4, 9533},   {5, 19657},  {6, 18930},  {7, 15733},
    {8, 19770},  {9, 16746},  {10, 25715}, {12, 30738}, {13, 17997}, {14, 11676}, {15, 41098},
    {16, 18765}, {17, 13192}, {18, 17699}, {19, 34523}, {20, 24409}, {21, 26370}, {22, 20863},
    {23, 29447}, {24, 23603}, {25, 8321},  {26, 12882}, {27, 20738}, {28, 44110}, {31, 28961},
    {32, 15562}, {34, 31134}, {35, 30958}, {36, 20552}, {37, 12564}, {38, 20275}, {39, 45197},
    {40, 37461},
};

using Bytes = std::vector<uint8_t>;

Bytes Copy(ByteArray array) { return Bytes(array.bytes, array.bytes + array.count); }

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// The table row of a section, for damage that keeps the checksum right.
size_t RowOf(const Bytes& b, const char (&tag)[5]) {
  const uint32_t count = b[18] | b[19] << 8;
  for (uint32_t i = 0; i < count; ++i)
    if (Get32(b, kSkinHeaderSize + 12 * i) == SkinTag(tag)) return kSkinHeaderSize + 12 * i;
  ADD_FAILURE() << "no section " << tag;
  return kSkinHeaderSize;
}

size_t OffsetOf(const Bytes& b, const char (&tag)[5]) { return Get32(b, RowOf(b, tag) + 4); }

void Reseal(Bytes& b) { Put32(b, 12, SkinChecksum(b.data(), static_cast<uint32_t>(b.size()))); }

SkinStatus Parse(const Bytes& b) {
  SkinView view;
  return SkinParse(b.data(), static_cast<uint32_t>(b.size()), &view);
}

TEST(SkinFiles, EveryNumberWithAFileHasAValidSkinOfItsSize) {
  uint32_t total = 0;
  for (const SkinSize& expected : kSizes) {
    SCOPED_TRACE(expected.number);
    const ByteArray file = OwnSkinFileData(expected.number);
    ASSERT_NE(file.bytes, nullptr);
    EXPECT_EQ(file.count, expected.bytes);
    SkinView view;
    ASSERT_EQ(SkinParse(file.bytes, file.count, &view), kSkinOk);
    EXPECT_EQ(view.number, expected.number);
    total += file.count;
  }
  EXPECT_EQ(total, 812644u);
}

TEST(SkinFiles, NumbersWithoutAFileOfTheirOwnGiveNone) {
  for (int32_t number : {11, 29, 30, 33, 0, -1, 41, 1000, INT32_MIN, INT32_MAX}) {
    const ByteArray file = OwnSkinFileData(number);
    EXPECT_EQ(file.bytes, nullptr) << number;
    EXPECT_EQ(file.count, 0u) << number;
  }
}

TEST(SkinFiles, EverySkinIsAThemeOfItsOwn) {
  std::set<uint32_t> faces, captions;
  std::set<std::string> names;
  for (const SkinSize& s : kSizes) {
    const ByteArray file = OwnSkinFileData(s.number);
    SkinView view;
    ASSERT_EQ(SkinParse(file.bytes, file.count, &view), kSkinOk);
    faces.insert(view.palette[kSkinFace]);
    captions.insert(view.strips[kSkinStripCaptionActive][kSkinStripRows / 2]);
    names.insert(view.name);
    EXPECT_STRNE(view.name, "") << s.number;
  }
  EXPECT_EQ(faces.size(), 36u);
  EXPECT_EQ(captions.size(), 36u);
  EXPECT_EQ(names.size(), 36u);
}

TEST(SkinFiles, TheProgramsSkinIsClearlyNotThePlatformLook) {
  const ByteArray file = OwnSkinFileData(16);
  SkinView view;
  ASSERT_EQ(SkinParse(file.bytes, file.count, &view), kSkinOk);
  for (uint32_t platformFace : {0xC0C0C0u, 0xF0F0F0u, 0xD4D0C8u}) EXPECT_NE(view.palette[kSkinFace], platformFace);
  const uint32_t caption = view.strips[kSkinStripCaptionActive][kSkinStripRows / 2];
  EXPECT_NE(caption, view.strips[kSkinStripCaptionInactive][kSkinStripRows / 2]);
  std::printf("skin 16 \"%s\": face %06X, caption %06X to %06X, caption text %06X (COLORREF)\n", view.name,
              view.palette[kSkinFace], view.strips[kSkinStripCaptionActive][1],
              view.strips[kSkinStripCaptionActive][kSkinStripRows - 2], view.palette[kSkinCaptionTextActive]);
}

TEST(SkinData, ArraysAreInTheStorageForm) {
  for (const ByteArray array : {SkinLibraryData(), OwnSkinFileData(1), OwnSkinFileData(16), OwnSkinFileData(40)}) {
    ASSERT_NE(array.bytes, nullptr);
    uint32_t header[2];
    std::memcpy(header, array.bytes - sizeof header, sizeof header);
    EXPECT_EQ(header[0], 1u);
    EXPECT_EQ(header[1], array.count);
  }
}

TEST(SkinData, LibraryIsTheDllPaddedWithZerosToItsFixedSize) {
  const Bytes library = Copy(SkinLibraryData());
  ASSERT_EQ(library.size(), 88576u);
  ASSERT_EQ(library[0], 'M');
  ASSERT_EQ(library[1], 'Z');
  const uint32_t pe = Get32(library, 0x3C);
  ASSERT_LT(pe + 24u, library.size());
  ASSERT_EQ(Get32(library, pe), 0x00004550u);  // "PE\0\0"
  const uint32_t sections = library[pe + 6] | library[pe + 7] << 8;
  const uint32_t optionalSize = library[pe + 20] | library[pe + 21] << 8;
  size_t end = 0;
  for (uint32_t i = 0; i < sections; ++i) {
    const size_t row = pe + 24 + optionalSize + 40 * i;
    end = std::max<size_t>(end, Get32(library, row + 20) + Get32(library, row + 16));
  }
  ASSERT_GT(end, 1024u);
  ASSERT_LE(end, library.size());
  for (size_t i = end; i < library.size(); ++i) ASSERT_EQ(library[i], 0) << "at " << i;
  std::printf("SkinH_EL.dll: %zu bytes, padded to %zu\n", end, library.size());
}

struct Damage {
  const char* what;
  void (*apply)(Bytes&);
  SkinStatus expected;
};

const Damage kDamages[] = {
    {"empty", [](Bytes& b) { b.clear(); }, kSkinTooShort},
    {"shorter than the header", [](Bytes& b) { b.resize(kSkinHeaderSize - 1); }, kSkinTooShort},
    {"truncated by one byte", [](Bytes& b) { b.pop_back(); }, kSkinBadLength},
    {"truncated to half", [](Bytes& b) { b.resize(b.size() / 2); }, kSkinBadLength},
    {"a byte appended", [](Bytes& b) { b.push_back(0); }, kSkinBadLength},
    {"wrong magic", [](Bytes& b) { b[1] = 's'; }, kSkinBadMagic},
    {"version 2", [](Bytes& b) { b[4] = 2; }, kSkinBadVersion},
    {"wrong header size", [](Bytes& b) { b[6] = 44; }, kSkinBadHeader},
    {"length field one more", [](Bytes& b) { Put32(b, 8, static_cast<uint32_t>(b.size() + 1)); }, kSkinBadLength},
    {"length field one less", [](Bytes& b) { Put32(b, 8, static_cast<uint32_t>(b.size() - 1)); }, kSkinBadLength},
    {"a palette byte flipped", [](Bytes& b) { b[OffsetOf(b, "PALT") + 1] ^= 0x20; }, kSkinBadChecksum},
    {"the last byte flipped", [](Bytes& b) { b.back() ^= 1; }, kSkinBadChecksum},
    {"the skin number changed", [](Bytes& b) { b[16] ^= 1; }, kSkinBadChecksum},
    {"the checksum changed", [](Bytes& b) { b[12] ^= 1; }, kSkinBadChecksum},
    // The rest keep a correct checksum, so the field checks behind it have to catch them.
    {"skin number 0", [](Bytes& b) { Put16(b, 16, 0); Reseal(b); }, kSkinBadHeader},
    {"name without a terminator", [](Bytes& b) { b[39] = 'x'; Reseal(b); }, kSkinBadHeader},
    {"no sections", [](Bytes& b) { Put16(b, 18, 0); Reseal(b); }, kSkinBadTable},
    {"table past the end", [](Bytes& b) { Put16(b, 18, 0xFFFF); Reseal(b); }, kSkinBadTable},
    {"section over the header", [](Bytes& b) { Put32(b, RowOf(b, "PALT") + 4, 0); Reseal(b); }, kSkinBadTable},
    {"section past the end",
     [](Bytes& b) { Put32(b, RowOf(b, "GLOS") + 8, Get32(b, RowOf(b, "GLOS") + 8) + 1); Reseal(b); }, kSkinBadTable},
    {"offset and size that wrap around",
     [](Bytes& b) { Put32(b, RowOf(b, "TILE") + 4, 0xFFFFFF00u); Put32(b, RowOf(b, "TILE") + 8, 0x200); Reseal(b); },
     kSkinBadTable},
    {"a section twice", [](Bytes& b) { Put32(b, RowOf(b, "METR"), SkinTag("PALT")); Reseal(b); }, kSkinBadTable},
    {"a section missing", [](Bytes& b) { Put32(b, RowOf(b, "GLOS"), SkinTag("XTRA")); Reseal(b); }, kSkinMissingSection},
    {"palette of the wrong size",
     [](Bytes& b) { Put32(b, RowOf(b, "PALT") + 8, 4 * kSkinColourCount - 4); Reseal(b); }, kSkinBadSection},
    {"a colour with a top byte", [](Bytes& b) { b[OffsetOf(b, "PALT") + 3] = 1; Reseal(b); }, kSkinBadSection},
    {"texture depth out of range", [](Bytes& b) { b[OffsetOf(b, "METR")] = 200; Reseal(b); }, kSkinBadSection},
    {"unknown flags", [](Bytes& b) { b[OffsetOf(b, "METR") + 2] = 0x80; Reseal(b); }, kSkinBadSection},
    {"tile wider than its bytes", [](Bytes& b) { b[OffsetOf(b, "TILE")] += 1; Reseal(b); }, kSkinBadSection},
    {"tile of width 0", [](Bytes& b) { Put16(b, OffsetOf(b, "TILE"), 0); Reseal(b); }, kSkinBadSection},
    {"empty glass profile", [](Bytes& b) { Put32(b, RowOf(b, "GLOS") + 8, 0); Reseal(b); }, kSkinBadSection},
};

TEST(SkinParse, RefusesDamagedFilesForTheRightReason) {
  const Bytes good = Copy(OwnSkinFileData(16));
  ASSERT_EQ(Parse(good), kSkinOk);
  for (const Damage& damage : kDamages) {
    Bytes bytes = good;
    damage.apply(bytes);
    EXPECT_EQ(Parse(bytes), damage.expected) << damage.what;
  }
}

TEST(SkinParse, RefusesEverySingleBitFlipAnywhereInAFile) {
  Bytes bytes = Copy(OwnSkinFileData(25));
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t bit = static_cast<uint8_t>(1u << (i % 8));
    bytes[i] ^= bit;
    ASSERT_NE(Parse(bytes), kSkinOk) << "byte " << i;
    bytes[i] ^= bit;
  }
  EXPECT_EQ(Parse(bytes), kSkinOk);
}

TEST(SkinParse, SkipsSectionsItDoesNotKnow) {
  Bytes bytes = Copy(OwnSkinFileData(16));
  // A sixth row would overlap the first section, so the table grows by moving every section.
  const uint32_t count = bytes[18] | bytes[19] << 8;
  Bytes grown(bytes.begin(), bytes.begin() + kSkinHeaderSize + 12 * count);
  grown.insert(grown.end(), 12, 0);
  grown.insert(grown.end(), bytes.begin() + kSkinHeaderSize + 12 * count, bytes.end());
  for (uint32_t i = 0; i < count; ++i)
    Put32(grown, kSkinHeaderSize + 12 * i + 4, Get32(grown, kSkinHeaderSize + 12 * i + 4) + 12);
  const size_t extra = kSkinHeaderSize + 12 * count;
  Put32(grown, extra, SkinTag("NOTE"));
  Put32(grown, extra + 4, static_cast<uint32_t>(extra + 12));
  Put32(grown, extra + 8, 5);
  Put16(grown, 18, count + 1);
  Put32(grown, 8, static_cast<uint32_t>(grown.size()));
  Reseal(grown);
  EXPECT_EQ(Parse(grown), kSkinOk);
}

TEST(SkinColours, GlassBrightensTheCaptionTopAndInactiveCaptionsDiffer) {
  const ByteArray file = OwnSkinFileData(16);
  SkinView view;
  ASSERT_EQ(SkinParse(file.bytes, file.count, &view), kSkinOk);
  auto brightness = [](uint32_t c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); };
  for (int y : {1, 4, 7}) {
    EXPECT_GT(brightness(SkinCaptionColour(view, 30, y, 19, true, true)),
              brightness(SkinCaptionColour(view, 30, y, 19, true, false)) + 30)
        << y;
    EXPECT_NE(SkinCaptionColour(view, 30, y, 19, true, false), SkinCaptionColour(view, 30, y, 19, false, false));
  }
  // Out-of-range positions are clamped, never read outside the skin.
  EXPECT_EQ(SkinCaptionColour(view, -5, -5, 0, true, true), SkinCaptionColour(view, 5, 5, 1, true, true));
  EXPECT_EQ(SkinButtonColour(view, kSkinStripButtonHot, 1000, 20), SkinButtonColour(view, kSkinStripButtonHot, 19, 20));
}

}  // namespace
