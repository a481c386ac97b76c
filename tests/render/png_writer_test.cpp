#include "render/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// Reads a PNG back with libpng's own decoder, as RGB.
TRgbaImage ReadPng(const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    ADD_FAILURE() << path << ": " << png.message;
    return {};
  }
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    ADD_FAILURE() << path << ": " << png.message;
    png_image_free(&png);
    return {};
  }
  TRgbaImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * image.Width() + x) * 3];
      image.Set(x, y, {p[0], p[1], p[2]});
    }
  }
  return image;
}

class PngWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tavrel_png_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(PngWriterTest, PixelsSurviveTheRoundTrip) {
  struct TCase {
    const char* Name;
    int Width, Height;
  };
  const std::vector<TCase> cases = {{"one pixel", 1, 1}, {"a preview", 492, 380}, {"odd", 7, 3}};
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    TRgbaImage image(testCase.Width, testCase.Height);
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        image.Set(x, y,
                  {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 13),
                   static_cast<std::uint8_t>((x ^ y) * 3)});
      }
    }
    const std::string path = (folder_ / "page.png").string();
    WritePngFile(image, path);
    const TRgbaImage back = ReadPng(path);
    ASSERT_EQ(back.Width(), image.Width());
    ASSERT_EQ(back.Height(), image.Height());
    EXPECT_EQ(std::memcmp(back.Bytes(), image.Bytes(), image.ByteCount()), 0);
  }
  // Only the picture is left: no temporary files beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// The indexed encoding keeps every pixel, with few colours (a page), with the most a colour
// map holds, and with more (then as EncodePng).
TEST_F(PngWriterTest, IndexedPicturesKeepEveryPixel) {
  struct TCase {
    const char* Name;
    int Colours;
  };
  const std::vector<TCase> cases = {{"eight colours", 8}, {"256 colours", 256}, {"1000", 1000}};
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    TRgbaImage image(492, 396);
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        const int colour = (x / 3 + y * 11) % testCase.Colours;
        image.Set(x, y,
                  {static_cast<std::uint8_t>(colour & 0xFF), static_cast<std::uint8_t>(colour >> 8),
                   static_cast<std::uint8_t>(255 - (colour & 0xFF))});
      }
    }
    const std::vector<std::uint8_t> indexed = EncodeIndexedPng(image, "page.png");
    const std::string path = (folder_ / "indexed.png").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(indexed.data()),
               static_cast<std::streamsize>(indexed.size()));
    const TRgbaImage back = ReadPng(path);
    ASSERT_EQ(back.Width(), image.Width());
    ASSERT_EQ(back.Height(), image.Height());
    EXPECT_EQ(std::memcmp(back.Bytes(), image.Bytes(), image.ByteCount()), 0);
  }
}

TEST_F(PngWriterTest, FailuresNameTheFileAndKeepWhatWasThere) {
  const std::string existing = (folder_ / "old.png").string();
  std::ofstream(existing) << "old picture";
  fs::create_directories(folder_ / "a folder");
  struct TCase {
    const char* Name;
    std::string Path;
    TRgbaImage Image;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {"empty image", existing, TRgbaImage(0, 5),
       existing + ": cannot write an empty image as PNG"},
      {"missing folder", (folder_ / "missing" / "p.png").string(), TRgbaImage(2, 2),
       (folder_ / "missing" / "p.png").string() + ": cannot save: No such file or directory"},
      {"a folder in the way", (folder_ / "a folder").string(), TRgbaImage(2, 2),
       (folder_ / "a folder").string() + ": cannot save: is a folder"},
  };
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    try {
      WritePngFile(testCase.Image, testCase.Path);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), testCase.Message);
    }
  }
  std::ifstream in(existing);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "old picture");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace tavrel
