#include "render/png_writer.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "support/error.h"

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

// Closes a file descriptor and removes the temporary file unless it was handed over.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(std::string pattern) : path_(std::move(pattern)) {
    descriptor_ = ::mkstemp(path_.data());
  }
  ~TTemporaryFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!kept_) ::unlink(path_.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  bool Opened() const { return descriptor_ >= 0; }
  const std::string& Path() const { return path_; }
  int Descriptor() const { return descriptor_; }
  // Closes the file and reports whether everything written reached it.
  bool Close() {
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    return result == 0;
  }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  int descriptor_ = -1;
  bool kept_ = false;
};

std::string SystemReason() { return std::strerror(errno); }

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

  TTemporaryFile temporary(fileName + ".XXXXXX");
  if (!temporary.Opened()) throw FileError(fileName, "cannot create: " + SystemReason());
  std::size_t written = 0;
  while (written < encoded.size()) {
    const ssize_t result =
        ::write(temporary.Descriptor(), encoded.data() + written, encoded.size() - written);
    if (result < 0) {
      if (errno == EINTR) continue;
      throw FileError(fileName, "cannot write: " + SystemReason());
    }
    written += static_cast<std::size_t>(result);
  }
  // mkstemp creates the file private; a picture is an ordinary document, readable as the
  // umask allows. (Reading the umask means setting it briefly; the program is single-threaded.)
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(temporary.Descriptor(), 0666 & ~mask);
  if (!temporary.Close()) throw FileError(fileName, "cannot write: " + SystemReason());
  if (std::rename(temporary.Path().c_str(), fileName.c_str()) != 0) {
    throw FileError(fileName, "cannot write: " + SystemReason());
  }
  temporary.Keep();
}

}  // namespace tavrel
