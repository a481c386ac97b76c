#include "render/png_writer.h"

#include <png.h>

#include <cstring>
#include <string_view>

#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {
namespace {

// Frees whatever libpng's simplified interface still holds, also after a failure.
class TPngImageGuard {
 public:
  explicit TPngImageGuard(png_image& image) : image_(image) {}
  ~TPngImageGuard() { png_image_free(&image_); }
  TPngImageGuard(const TPngImageGuard&) = delete;
  TPngImageGuard& operator=(const TPngImageGuard&) = delete;

 private:
  png_image& image_;
};

}  // namespace

std::vector<std::uint8_t> EncodePng(const TRgbaImage& image, const std::string& fileName) {
  if (image.Width() <= 0 || image.Height() <= 0) {
    throw FileError(fileName, "cannot write an empty image as PNG");
  }
  // Drop the alpha channel: every pixel we draw is opaque.
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.Width()) * image.Height() * 3);
  const std::uint8_t* source = image.Bytes();
  for (std::size_t pixel = 0, count = rgb.size() / 3; pixel < count; ++pixel) {
    std::memcpy(&rgb[pixel * 3], source + pixel * 4, 3);
  }

  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width());
  png.height = static_cast<png_uint_32>(image.Height());
  png.format = PNG_FORMAT_RGB;
  TPngImageGuard guard(png);

  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    throw FileError(fileName, std::string("cannot encode PNG: ") + png.message);
  }
  std::vector<std::uint8_t> encoded(size);
  if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, rgb.data(), 0, nullptr)) {
    throw FileError(fileName, std::string("cannot encode PNG: ") + png.message);
  }
  encoded.resize(size);
  return encoded;
}

void WritePngFile(const TRgbaImage& image, const std::string& fileName) {
  const std::vector<std::uint8_t> encoded = EncodePng(image, fileName);
  // A picture is an ordinary document, readable as the umask allows.
  ReplaceFileAtomically(
      fileName, std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()),
      0666);
}

}  // namespace tavrel
