#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace tavrel {

// One colour without transparency; the images we draw are always opaque.
struct TRgb {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  bool operator==(const TRgb&) const = default;
};

// The drawing surface of the renderer: an opaque RGBA image, row-major, four bytes per pixel
// in the order red, green, blue, alpha whatever the machine's byte order, so the buffer can be
// handed to an image writer or a GUI image as it stands.
class TRgbaImage {
 public:
  TRgbaImage() = default;
  // A width x height image filled with `fill`. Sizes below zero count as zero.
  TRgbaImage(int width, int height, TRgb fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Width() x Height() pixels, each four bytes R, G, B, A.
  const std::uint8_t* Bytes() const {
    return reinterpret_cast<const std::uint8_t*>(pixels_.data());
  }
  std::size_t ByteCount() const { return pixels_.size() * 4; }

  // A pixel packed so that its bytes in memory are R, G, B, 255.
  static std::uint32_t Pack(TRgb colour) {
    const std::uint8_t bytes[4] = {colour.Red, colour.Green, colour.Blue, 0xFF};
    std::uint32_t packed;
    std::memcpy(&packed, bytes, sizeof packed);
    return packed;
  }
  // The colour at (x, y), which must lie inside the image.
  TRgb At(int x, int y) const;
  void Set(int x, int y, TRgb colour);

  // Fills the part of the rectangle that lies inside the image; the rest is ignored.
  void FillRect(int left, int top, int width, int height, TRgb colour);

  // The image enlarged `factor` times in both directions, each pixel becoming a square, so the
  // cell grid stays sharp. A factor of 1 or less gives a copy.
  TRgbaImage Scaled(int factor) const;

  // Row y as packed pixels, for drawing code that writes whole glyph rows.
  std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width_;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace tavrel
