#include "render/rgba_image.h"

#include <algorithm>

namespace tavrel {

TRgbaImage::TRgbaImage(int width, int height, TRgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, Pack(fill)) {}

TRgb TRgbaImage::At(int x, int y) const {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &pixels_[static_cast<std::size_t>(y) * width_ + x], sizeof bytes);
  return {bytes[0], bytes[1], bytes[2]};
}

void TRgbaImage::Set(int x, int y, TRgb colour) {
  pixels_[static_cast<std::size_t>(y) * width_ + x] = Pack(colour);
}

void TRgbaImage::FillRect(int left, int top, int width, int height, TRgb colour) {
  // 64-bit edges: a rectangle far outside the image must not overflow into it.
  const long long x0 = std::max<long long>(left, 0);
  const long long y0 = std::max<long long>(top, 0);
  const long long x1 =
      std::min<long long>(static_cast<long long>(left) + std::max(width, 0), width_);
  const long long y1 =
      std::min<long long>(static_cast<long long>(top) + std::max(height, 0), height_);
  if (x0 >= x1 || y0 >= y1) return;
  const std::uint32_t packed = Pack(colour);
  for (long long y = y0; y < y1; ++y) {
    std::fill(Row(static_cast<int>(y)) + x0, Row(static_cast<int>(y)) + x1, packed);
  }
}

TRgbaImage TRgbaImage::Scaled(int factor) const {
  if (factor <= 1) return *this;
  TRgbaImage scaled(width_ * factor, height_ * factor);
  for (int y = 0; y < scaled.height_; ++y) {
    const std::uint32_t* source = pixels_.data() + static_cast<std::size_t>(y / factor) * width_;
    std::uint32_t* target = scaled.Row(y);
    for (int x = 0; x < scaled.width_; ++x) target[x] = source[x / factor];
  }
  return scaled;
}

}  // namespace tavrel
