// Draws the program's icon (a window under a magnifying glass) and writes it as an .ico file
// with 32-bit pictures of 128, 64, 48, 32 and 16 pixels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Colour {
  double r, g, b, a;
};

// Source-over blend of a colour with coverage c onto a premultiplied-free RGBA pixel.
void Blend(Colour& dst, const Colour& src, double c) {
  const double a = src.a * c;
  const double out = a + dst.a * (1 - a);
  if (out <= 0) return;
  dst.r = (src.r * a + dst.r * dst.a * (1 - a)) / out;
  dst.g = (src.g * a + dst.g * dst.a * (1 - a)) / out;
  dst.b = (src.b * a + dst.b * dst.a * (1 - a)) / out;
  dst.a = out;
}

bool InRoundedRect(double x, double y, double x0, double y0, double x1, double y1, double radius) {
  if (x < x0 || x > x1 || y < y0 || y > y1) return false;
  const double cx = std::clamp(x, x0 + radius, x1 - radius);
  const double cy = std::clamp(y, y0 + radius, y1 - radius);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

double DistanceToSegment(double x, double y, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  const double px = ax + t * dx - x, py = ay + t * dy - y;
  return std::sqrt(px * px + py * py);
}

// The picture in a unit square (0..1), sampled at one point; layers painted back to front.
Colour Sample(double x, double y) {
  Colour pixel{0, 0, 0, 0};
  const Colour frame{0.16, 0.33, 0.62, 1}, caption{0.22, 0.47, 0.85, 1}, page{0.97, 0.98, 1.0, 1};
  const Colour line{0.70, 0.76, 0.86, 1}, ring{0.95, 0.50, 0.07, 1}, lens{1, 0.95, 0.75, 0.45};
  const Colour handle{0.35, 0.22, 0.10, 1};
  if (InRoundedRect(x, y, 0.04, 0.08, 0.80, 0.78, 0.08)) Blend(pixel, frame, 1);
  if (InRoundedRect(x, y, 0.08, 0.12, 0.76, 0.24, 0.04)) Blend(pixel, caption, 1);
  if (InRoundedRect(x, y, 0.08, 0.27, 0.76, 0.74, 0.03)) Blend(pixel, page, 1);
  for (double row : {0.36, 0.46, 0.56})
    if (y > row && y < row + 0.04 && x > 0.14 && x < 0.52) Blend(pixel, line, 1);
  const double cx = 0.60, cy = 0.58, r = 0.22;
  const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
  if (d < r) Blend(pixel, lens, 1);
  if (std::fabs(d - r) < 0.055) Blend(pixel, ring, 1);
  if (DistanceToSegment(x, y, 0.77, 0.75, 0.93, 0.92) < 0.065) Blend(pixel, handle, 1);
  return pixel;
}

// BGRA rows, bottom-up as an icon's bitmap stores them, with 4 x 4 supersampling.
std::vector<uint8_t> Render(int size) {
  std::vector<uint8_t> bgra(static_cast<size_t>(size) * size * 4);
  constexpr int kSub = 4;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx) {
          const Colour c = Sample((px + (sx + 0.5) / kSub) / size, (py + (sy + 0.5) / kSub) / size);
          r += c.r * c.a; g += c.g * c.a; b += c.b * c.a; a += c.a;
        }
      uint8_t* out = &bgra[(static_cast<size_t>(size - 1 - py) * size + px) * 4];
      const double alpha = a / (kSub * kSub);
      auto channel = [&](double sum) { return static_cast<uint8_t>(a > 0 ? std::lround(255 * sum / a) : 0); };
      out[0] = channel(b); out[1] = channel(g); out[2] = channel(r);
      out[3] = static_cast<uint8_t>(std::lround(255 * alpha));
    }
  }
  return bgra;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); }
void Put32(std::vector<uint8_t>& out, uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUT.ico\n");
    return 2;
  }
  const int sizes[] = {128, 64, 48, 32, 16};
  std::vector<std::vector<uint8_t>> images;
  for (int size : sizes) {
    std::vector<uint8_t> image;
    Put32(image, 40); Put32(image, size); Put32(image, size * 2);  // colour and mask heights
    Put16(image, 1); Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    const std::vector<uint8_t> pixels = Render(size);
    image.insert(image.end(), pixels.begin(), pixels.end());
    const size_t maskRow = static_cast<size_t>((size + 31) / 32) * 4;
    image.insert(image.end(), maskRow * size, 0);  // the alpha channel decides; the mask is clear
    images.push_back(std::move(image));
  }
  std::vector<uint8_t> file;
  Put16(file, 0); Put16(file, 1); Put16(file, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<uint8_t>(sizes[i])); file.push_back(static_cast<uint8_t>(sizes[i]));
    file.push_back(0); file.push_back(0);
    Put16(file, 1); Put16(file, 32);
    Put32(file, static_cast<uint32_t>(images[i].size())); Put32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (auto& image : images) file.insert(file.end(), image.begin(), image.end());
  FILE* out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
