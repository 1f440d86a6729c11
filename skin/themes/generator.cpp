// Build-time tool: turns the theme table into one skin file per theme, each of the table's exact
// size, and reads every file back through the library's own parser before it is kept.
//   skin_generator THEMES_TXT OUTPUT_DIR   writes OUTPUT_DIR/skin_NN.she
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../library/skin_format.h"

namespace {

struct Rgb {
  double r, g, b;
};

struct Theme {
  int number = 0;
  uint32_t bytes = 0;
  std::string name;
  Rgb face{}, captionTop{}, captionBottom{}, accent{}, captionText{};
  std::string texture;
  int depth = 0, glass = 0;
};

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Luminance(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

uint32_t ColourRef(Rgb c) {
  auto channel = [](double v) {
    const long rounded = std::lround(v);
    return static_cast<uint32_t>(rounded < 0 ? 0 : rounded > 255 ? 255 : rounded);
  };
  return channel(c.r) | channel(c.g) << 8 | channel(c.b) << 16;
}

bool ParseRgb(const std::string& text, Rgb* out) {
  if (text.size() != 6) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (*end) return false;
  *out = {static_cast<double>((value >> 16) & 0xFF), static_cast<double>((value >> 8) & 0xFF),
          static_cast<double>(value & 0xFF)};
  return true;
}

bool ReadThemes(const char* path, std::vector<Theme>* themes) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return false;
  }
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream fields(line);
    Theme t;
    std::string face, top, bottom, accent, text;
    fields >> t.number >> t.bytes >> t.name >> face >> top >> bottom >> accent >> text >> t.texture >>
        t.depth >> t.glass;
    if (!fields || !ParseRgb(face, &t.face) || !ParseRgb(top, &t.captionTop) ||
        !ParseRgb(bottom, &t.captionBottom) || !ParseRgb(accent, &t.accent) ||
        !ParseRgb(text, &t.captionText) || t.number < 1 || t.number > 40 || t.depth < 0 ||
        t.depth > kSkinMaxTextureDepth || t.glass < 0 || t.glass > 255 || t.name.size() > 19) {
      std::fprintf(stderr, "%s:%d: malformed theme\n", path, lineNumber);
      return false;
    }
    themes->push_back(t);
  }
  return true;
}

std::vector<uint32_t> Palette(const Theme& t) {
  const Rgb inactiveMiddle = Mix(Mix(t.captionTop, t.captionBottom, 0.5), t.face, 0.6);
  std::vector<uint32_t> p(kSkinColourCount);
  p[kSkinFace] = ColourRef(t.face);
  p[kSkinLight] = ColourRef(Mix(t.face, kWhite, 0.5));
  p[kSkinHighlight] = ColourRef(Mix(t.face, kWhite, 0.85));
  p[kSkinShadow] = ColourRef(Mix(t.face, kBlack, 0.35));
  p[kSkinDarkShadow] = ColourRef(Mix(t.face, kBlack, 0.62));
  p[kSkinFrameActive] = ColourRef(Mix(t.captionBottom, kBlack, 0.35));
  p[kSkinFrameInactive] = ColourRef(Mix(t.face, kBlack, 0.4));
  p[kSkinCaptionTextActive] = ColourRef(t.captionText);
  p[kSkinCaptionTextInactive] = ColourRef(Mix(t.captionText, inactiveMiddle, 0.45));
  p[kSkinGlyphActive] = ColourRef(t.captionText);
  p[kSkinGlyphInactive] = ColourRef(Mix(t.captionText, inactiveMiddle, 0.5));
  p[kSkinCaptionButtonHot] = ColourRef(Mix(t.captionTop, kWhite, 0.28));
  p[kSkinCaptionButtonPressed] = ColourRef(Mix(t.captionBottom, kBlack, 0.3));
  p[kSkinCloseHot] = ColourRef(Mix(Rgb{212, 64, 58}, t.accent, 0.15));
  p[kSkinButtonBorder] = ColourRef(Mix(Mix(t.face, kBlack, 0.45), t.accent, 0.3));
  p[kSkinAccent] = ColourRef(t.accent);
  return p;
}

// Every strip runs from the top row (0) to the bottom row (63).
std::vector<uint32_t> Strips(const Theme& t) {
  std::vector<uint32_t> s;
  const int last = kSkinStripRows - 1;
  std::vector<Rgb> caption, button;
  for (int r = 0; r <= last; ++r) {
    const double f = static_cast<double>(r) / last;
    Rgb c = Mix(t.captionTop, t.captionBottom, f);
    if (r == 0) c = Mix(c, kWhite, 0.35);
    else if (r <= 2) c = Mix(c, kWhite, 0.12);
    else if (r == last) c = Mix(c, kBlack, 0.25);
    caption.push_back(c);

    const Rgb tinted = Mix(t.face, t.accent, 0.08);
    button.push_back(f < 0.5 ? Mix(Mix(tinted, kWhite, 0.8), Mix(tinted, kWhite, 0.35), f * 2)
                             : Mix(tinted, Mix(tinted, kBlack, 0.08), (f - 0.5) * 2));
  }
  for (const Rgb& c : caption) s.push_back(ColourRef(c));
  for (const Rgb& c : caption) {
    const Rgb faded = Mix(c, t.face, 0.6);
    const double grey = Luminance(faded);
    s.push_back(ColourRef(Mix(faded, Rgb{grey, grey, grey}, 0.3)));
  }
  for (const Rgb& c : button) s.push_back(ColourRef(c));
  for (const Rgb& c : button) s.push_back(ColourRef(Mix(Mix(c, t.accent, 0.18), kWhite, 0.1)));
  for (int r = 0; r <= last; ++r)
    s.push_back(ColourRef(Mix(Mix(button[last - r], kBlack, 0.1), t.accent, 0.12)));
  return s;
}

// A small deterministic sequence so that every theme's texture is its own yet reproducible.
struct Sequence {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / static_cast<double>(1u << 24);
  }
};

constexpr double kTau = 6.283185307179586;

// Texture values around 0 (-1 to 1); every pattern repeats exactly at the tile's edges.
std::vector<double> Texture(const Theme& t, int w, int h) {
  Sequence seq{static_cast<uint32_t>(t.number) * 2654435761u};
  std::vector<double> v(static_cast<size_t>(w) * h);
  auto cycles = [](int side, int period) { return std::max(1, (side + period / 2) / period); };
  if (t.texture == "brushed") {
    // Streaks along x: many harmonics over the rows, barely any change along a row.
    std::vector<double> phase(24);
    for (double& p : phase) p = seq.Next() * kTau;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double s = 0.15 * std::sin(kTau * x / w + phase[0]);
        for (int k = 1; k < 24; ++k) s += std::sin(kTau * k * y / h + phase[k]) / std::sqrt(k);
        v[y * w + x] = s / 3.2;
      }
  } else if (t.texture == "linen") {
    const int cx = cycles(w, 3), cy = cycles(h, 3);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        v[y * w + x] = 0.5 * std::sin(kTau * cx * x / w) + 0.5 * std::sin(kTau * cy * y / h);
  } else if (t.texture == "carbon") {
    // A twill weave of 4-pixel cells; the cell counts are kept even so the check pattern closes.
    const int cx = (cycles(w, 4) + 1) / 2 * 2, cy = (cycles(h, 4) + 1) / 2 * 2;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double u = static_cast<double>(x) * cx / w, q = static_cast<double>(y) * cy / h;
        const bool across = (static_cast<int>(u) + static_cast<int>(q)) % 2 == 0;
        const double along = across ? u - std::floor(u) : q - std::floor(q);
        v[y * w + x] = (across ? 0.8 : -0.4) * std::sin(kTau * 0.5 * along);
      }
  } else if (t.texture == "grain") {
    // Smooth value noise on a lattice of about 4 pixels that wraps around the tile.
    const int nx = cycles(w, 4), ny = cycles(h, 4);
    std::vector<double> lattice(static_cast<size_t>(nx) * ny);
    for (double& l : lattice) l = seq.Next() * 2 - 1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double u = static_cast<double>(x) * nx / w, q = static_cast<double>(y) * ny / h;
        const int i = static_cast<int>(u), j = static_cast<int>(q);
        const double fu = u - i, fq = q - j;
        auto at = [&](int a, int b) { return lattice[(b % ny) * nx + (a % nx)]; };
        v[y * w + x] = (at(i, j) * (1 - fu) + at(i + 1, j) * fu) * (1 - fq) +
                       (at(i, j + 1) * (1 - fu) + at(i + 1, j + 1) * fu) * fq;
      }
  } else if (t.texture == "waves") {
    const int cx = cycles(w, 24), cy = cycles(h, 12);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        v[y * w + x] = std::sin(kTau * (static_cast<double>(cx) * x / w +
                                        0.35 * std::sin(kTau * cy * y / h)));
  } else if (t.texture == "diagonal") {
    const int cx = cycles(w, 8), cy = cycles(h, 8);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double s = std::sin(kTau * (static_cast<double>(cx) * x / w + static_cast<double>(cy) * y / h));
        v[y * w + x] = s > 0.4 ? 1.0 : s < -0.4 ? -0.6 : s;
      }
  } else if (t.texture == "dots") {
    const int cx = cycles(w, 6), cy = cycles(h, 6);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double u = static_cast<double>(x) * cx / w, q = static_cast<double>(y) * cy / h;
        const double du = u - std::floor(u) - 0.5, dq = q - std::floor(q) - 0.5;
        const double d = std::sqrt(du * du + dq * dq);
        v[y * w + x] = d < 0.3 ? 1 - d / 0.3 : -0.15;
      }
  } else {
    v.clear();
  }
  return v;
}

// The glass band: bright at the top, fading to a sharp edge a little above the middle, and a
// faint reflection towards the bottom.
std::vector<uint8_t> GlassProfile(uint32_t samples) {
  std::vector<uint8_t> g(samples);
  const double edge = 0.48;
  for (uint32_t i = 0; i < samples; ++i) {
    const double t = (i + 0.5) / samples;
    const double a = t < edge ? 90 + 165 * std::pow(1 - t / edge, 1.5)
                              : 45 * std::pow((t - edge) / (1 - edge), 2);
    g[i] = static_cast<uint8_t>(std::lround(a));
  }
  return g;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

bool BuildSkin(const Theme& t, std::vector<uint8_t>* file) {
  constexpr uint32_t kSections = 5;
  const uint32_t fixed = kSkinHeaderSize + 12 * kSections + 4 * kSkinColourCount + 4 +
                         4 * kSkinStripCount * kSkinStripRows;
  // What the tile and glass profile share: a tile as square as the space allows, and the glass
  // profile takes the bytes a whole number of tile rows leaves over.
  if (t.bytes < fixed + 4 + 16 * 16 + 16) return false;
  const uint32_t rest = t.bytes - fixed - 4;
  const uint32_t w = std::min<uint32_t>(kSkinMaxTileSide, std::max<uint32_t>(16, std::sqrt(rest)));
  const uint32_t h = std::min<uint32_t>(kSkinMaxTileSide, (rest - 16) / w);
  const uint32_t glass = rest - w * h;
  if (glass < 1 || glass > kSkinMaxGlassSamples) return false;

  const std::vector<double> texture = Texture(t, static_cast<int>(w), static_cast<int>(h));
  if (texture.empty()) return false;

  std::vector<uint8_t>& out = *file;
  out.assign(t.bytes, 0);
  std::memcpy(out.data(), ".SHE", 4);
  Put16(out, 4, kSkinVersion);
  Put16(out, 6, kSkinHeaderSize);
  Put32(out, 8, t.bytes);
  Put16(out, 16, static_cast<uint32_t>(t.number));
  Put16(out, 18, kSections);
  for (size_t i = 0; i < t.name.size(); ++i) out[20 + i] = t.name[i] == '-' ? ' ' : t.name[i];

  uint32_t offset = kSkinHeaderSize + 12 * kSections, entry = 0;
  auto section = [&](const char (&tag)[5], uint32_t size) {
    const size_t row = kSkinHeaderSize + 12 * entry++;
    Put32(out, row, SkinTag(tag));
    Put32(out, row + 4, offset);
    Put32(out, row + 8, size);
    const uint32_t at = offset;
    offset += size;
    return at;
  };

  uint32_t at = section("PALT", 4 * kSkinColourCount);
  for (uint32_t colour : Palette(t)) Put32(out, at, colour), at += 4;

  at = section("METR", 4);
  out[at] = static_cast<uint8_t>(t.depth);
  out[at + 1] = static_cast<uint8_t>(t.glass);
  out[at + 2] = Luminance(t.captionText) > 160 ? kSkinFlagCaptionTextShadow : 0;

  at = section("STRP", 4 * kSkinStripCount * kSkinStripRows);
  for (uint32_t colour : Strips(t)) Put32(out, at, colour), at += 4;

  at = section("TILE", 4 + w * h);
  Put16(out, at, w);
  Put16(out, at + 2, h);
  for (size_t i = 0; i < texture.size(); ++i)
    out[at + 4 + i] = static_cast<uint8_t>(std::lround(128 + 100 * std::max(-1.0, std::min(1.0, texture[i]))));

  at = section("GLOS", glass);
  for (uint8_t a : GlassProfile(glass)) out[at++] = a;

  if (offset != t.bytes) return false;
  Put32(out, 12, SkinChecksum(out.data(), t.bytes));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s THEMES_TXT OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  std::vector<Theme> themes;
  if (!ReadThemes(argv[1], &themes)) return 1;

  std::set<int> numbers;
  std::set<std::vector<uint32_t>> looks;
  for (const Theme& t : themes) {
    std::vector<uint8_t> file;
    if (!numbers.insert(t.number).second || !BuildSkin(t, &file)) {
      std::fprintf(stderr, "theme %d (%s): cannot be made into %u bytes\n", t.number, t.name.c_str(), t.bytes);
      return 1;
    }
    SkinView view;
    if (SkinParse(file.data(), static_cast<uint32_t>(file.size()), &view) != kSkinOk ||
        !looks.insert(std::vector<uint32_t>(view.palette, view.palette + kSkinColourCount)).second) {
      std::fprintf(stderr, "theme %d (%s): unreadable or a copy of another\n", t.number, t.name.c_str());
      return 1;
    }
    char path[4096];
    std::snprintf(path, sizeof path, "%s/skin_%02d.she", argv[2], t.number);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path);
      return 1;
    }
  }
  return 0;
}
