#include "render/png_writer.h"

#include <png.h>

#include <algorithm>
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

// Encodes in one pass into a buffer of the largest size the image can take.
std::vector<std::uint8_t> WriteToMemory(png_image& png, const void* pixels, const void* colourMap,
                                        const std::string& fileName) {
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
  std::vector<std::uint8_t> encoded(size);
  if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, pixels, 0, colourMap)) {
    throw FileError(fileName, std::string("cannot encode PNG: ") + png.message);
  }
  encoded.resize(size);
  return encoded;
}

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

  return WriteToMemory(png, rgb.data(), nullptr, fileName);
}

std::vector<std::uint8_t> EncodeIndexedPng(const TRgbaImage& image, const std::string& fileName) {
  if (image.Width() <= 0 || image.Height() <= 0) {
    throw FileError(fileName, "cannot write an empty image as PNG");
  }
  // Colour numbers in order of first appearance; the last one found is remembered because
  // runs of one colour are the rule in a page.
  std::vector<std::uint32_t> colours;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(image.Width()) * image.Height());
  std::uint32_t lastColour = 0;
  std::uint8_t lastIndex = 0;
  std::size_t at = 0;
  for (int y = 0; y < image.Height(); ++y) {
    const std::uint32_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x, ++at) {
      if (colours.empty() || row[x] != lastColour) {
        auto found = std::find(colours.begin(), colours.end(), row[x]);
        if (found == colours.end()) {
          if (colours.size() == 256) return EncodePng(image, fileName);
          colours.push_back(row[x]);
          found = colours.end() - 1;
        }
        lastColour = row[x];
        lastIndex = static_cast<std::uint8_t>(found - colours.begin());
      }
      indices[at] = lastIndex;
    }
  }
  std::vector<std::uint8_t> colourMap(colours.size() * 3);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    std::memcpy(&colourMap[i * 3], &colours[i], 3);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width());
  png.height = static_cast<png_uint_32>(image.Height());
  png.format = PNG_FORMAT_RGB_COLORMAP;
  png.colormap_entries = static_cast<png_uint_32>(colours.size());
  png.flags = PNG_IMAGE_FLAG_FAST;
  TPngImageGuard guard(png);
  return WriteToMemory(png, indices.data(), colourMap.data(), fileName);
}

void WritePngFile(const TRgbaImage& image, const std::string& fileName) {
  const std::vector<std::uint8_t> encoded = EncodePng(image, fileName);
  // A picture is an ordinary document, readable as the umask allows.
  ReplaceFileAtomically(
      fileName, std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()),
      0666);
}

}  // namespace tavrel
