// Runs the real tavrel executable on page files and looks at the pictures it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TRun {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A picture read back with libpng: width, height and RGB bytes.
struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;
  std::array<std::uint8_t, 3> At(int x, int y) const {
    const std::uint8_t* p = &Rgb[(static_cast<std::size_t>(y) * Width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

TPicture ReadPicture(const fs::path& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  TPicture picture;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return picture;
  png.format = PNG_FORMAT_RGB;
  picture.Rgb.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, picture.Rgb.data(), 0, nullptr)) {
    picture.Width = static_cast<int>(png.width);
    picture.Height = static_cast<int>(png.height);
  }
  png_image_free(&png);
  return picture;
}

// A broadcast page record: Hamming-coded zeros in the address bytes, German in header byte 9
// (C11 and C14 set), rows with odd parity.
std::string MakePag(const std::vector<std::pair<int, std::string>>& rows) {
  std::string record(1008, '\0');
  for (int packet = 0; packet < 24; ++packet) {
    record[packet * 42] = 0x15;
    record[packet * 42 + 1] = 0x15;
    for (int i = 2; i < 42; ++i) record[packet * 42 + i] = 0x20;
  }
  record[9] = static_cast<char>(0xC7);
  for (const auto& [row, text] : rows) {
    for (std::size_t c = 0; c < text.size() && c < 40; ++c) {
      unsigned char byte = static_cast<unsigned char>(text[c]) & 0x7F;
      if (__builtin_popcount(byte) % 2 == 0) byte |= 0x80;
      record[row * 42 + 2 + c] = static_cast<char>(byte);
    }
  }
  return record;
}

// A template with one row of text and a small text block.
std::string MakeTpg() {
  std::string row = "\x81TEMPLATE";
  row.resize(40, ' ');
  for (char& c : row) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
  return "[PAGE]\r\ntitle=\r\ncharset=8\r\nblocktext1=02040910\r\nrow01=" + row + "\r\n";
}

class RenderCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tavrel_render_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(folder_ / "100-0000.pag", std::ios::binary)
        << MakePag({{1, std::string("\x01") + "ABC"}, {2, "\x12\x1D\x14\x7F"}});
    std::ofstream(folder_ / "short.pag", std::ios::binary) << std::string(100, ' ');
    std::ofstream(folder_ / "news.TPG", std::ios::binary) << MakeTpg();
    std::ofstream(folder_ / "page.txt") << "not a page";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs tavrel in the test folder with the given arguments (no shell quoting needed: every
  // argument is one of ours and free of special characters).
  TRun Run(const std::vector<std::string>& args,
           const std::string& program = TAVREL_BINARY_DIR "/tavrel") {
    std::string command = "cd '" + folder_.string() + "' && '" + program + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >out.txt 2>err.txt";
    TRun run;
    const int status = std::system(command.c_str());
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadText(folder_ / "out.txt");
    run.Err = ReadText(folder_ / "err.txt");
    return run;
  }

  fs::path folder_;
};

struct TPixelProbe {
  int X, Y;
  std::array<std::uint8_t, 3> Rgb;
};

struct TRenderCase {
  const char* Name;
  std::vector<std::string> Args;
  std::string Picture;  // file expected to be written
  int Width, Height;
  std::vector<TPixelProbe> Probes;
};

constexpr std::array<std::uint8_t, 3> kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGreen{0, 255, 0},
    kBlue{0, 0, 255};

TEST_F(RenderCommandTest, WritesThePreviewAsPng) {
  // Cell (row r, column c) of the preview starts at x = 6 + 12c, y = 6 + 16(r - 1).
  // The new background of row 2 lasts to the end of the row.
  const std::vector<TRenderCase> cases = {
      {"broadcast page into the current folder",
       {"render", "100-0000.pag"},
       "100-0000.png",
       492,
       380,
       {{0, 0, kBlack},
        {6 + 12 * 2 + 11, 6 + 16 + 15, kGreen},
        {6 + 12 * 3, 6 + 16 + 8, kBlue},
        {6 + 12 * 39, 6 + 16, kGreen},
        {6 + 12 * 5, 6, kBlack}}},
      {"template, enlarged, with its text block",
       {"render", "news.TPG", "--scale", "2", "-o", "t.png"},
       "t.png",
       984,
       760,
       // Block columns 2..9, rows 4..10: white outline at x 30, y 54; black just outside.
       {{2 * 30, 2 * 54, kWhite},
        {2 * 30 - 1, 2 * 54 - 1, kBlack},
        {2 * 29, 2 * 54, kBlack},
        {2 * 125, 2 * 165, kWhite}}},
      {"show codes",
       {"render", "--codes", "100-0000.pag", "--output", "codes.png"},
       "codes.png",
       492,
       380,
       // Row 1 starts with alpha red: its code cell is black on green, the "A" after it red on
       // black.
       {{6 + 11, 6 + 15, kGreen}, {6 + 12 * 1 + 11, 6 + 15, kBlack}}},
  };
  for (const TRenderCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    const TRun run = Run(testCase.Args);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, testCase.Picture + ": " + std::to_string(testCase.Width) + " x " +
                           std::to_string(testCase.Height) + " pixels\n");
    const TPicture picture = ReadPicture(folder_ / testCase.Picture);
    ASSERT_EQ(picture.Width, testCase.Width);
    ASSERT_EQ(picture.Height, testCase.Height);
    for (const TPixelProbe& probe : testCase.Probes) {
      SCOPED_TRACE(std::to_string(probe.X) + "," + std::to_string(probe.Y));
      EXPECT_EQ(picture.At(probe.X, probe.Y), probe.Rgb);
    }
  }
}

struct TFailureCase {
  const char* Name;
  std::vector<std::string> Args;
  int ExitCode;
  std::string Error;          // the whole of the error output, up to the usage text
  bool WithoutFonts = false;  // run a copy of the program that has no font file beside it
};

TEST_F(RenderCommandTest, RefusesBadInputWithAClearMessage) {
  const std::vector<TFailureCase> cases = {
      {"missing page", {"render", "gone.pag"}, 1, "tavrel render: gone.pag: no such file"},
      {"missing template is not created",
       {"render", "gone.tpg"},
       1,
       "tavrel render: gone.tpg: no such file"},
      {"folder", {"render", "sub.pag"}, 1, "tavrel render: sub.pag: not a file"},
      {"short page",
       {"render", "short.pag"},
       1,
       "tavrel render: short.pag: too short for a broadcast page: 100 bytes, a page needs 1008"},
      {"not a page file",
       {"render", "page.txt"},
       2,
       "tavrel render: page.txt: not a page file (.pag or .tpg)"},
      {"no file", {"render", "--codes"}, 2, "tavrel render: which FILE should be drawn?"},
      {"two files",
       {"render", "a.pag", "b.pag"},
       2,
       "tavrel render: only one FILE can be drawn at a time"},
      {"scale zero",
       {"render", "100-0000.pag", "--scale", "0"},
       2,
       "tavrel render: --scale must be a whole number from 1 to 8, not '0'"},
      {"scale text",
       {"render", "100-0000.pag", "--scale", "2x"},
       2,
       "tavrel render: --scale must be a whole number from 1 to 8, not '2x'"},
      {"scale missing",
       {"render", "100-0000.pag", "--scale"},
       2,
       "tavrel render: --scale needs a value"},
      {"unknown option",
       {"render", "100-0000.pag", "--flash"},
       2,
       "tavrel render: unknown option '--flash'"},
      {"output folder missing",
       {"render", "100-0000.pag", "-o", "no/p.png"},
       1,
       "tavrel render: no/p.png: cannot save: No such file or directory"},
      {"font file missing",
       {"render", "100-0000.pag"},
       1,
       "tavrel render: Font file(s)\n" + (folder_ / "bin" / "p1216all.fon").string() +
           "\nnot found!",
       true},
  };
  fs::create_directories(folder_ / "bin");
  fs::copy_file(TAVREL_BINARY_DIR "/tavrel", folder_ / "bin" / "tavrel");
  fs::create_directories(folder_ / "sub.pag");
  for (const TFailureCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    const TRun run = testCase.WithoutFonts
                         ? Run(testCase.Args, (folder_ / "bin" / "tavrel").string())
                         : Run(testCase.Args);
    EXPECT_EQ(run.ExitCode, testCase.ExitCode);
    const std::size_t usage = run.Err.find("\n\nUsage:");
    EXPECT_EQ(run.Err.substr(0, usage), testCase.Error + (usage == std::string::npos ? "\n" : ""));
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_FALSE(fs::exists(folder_ / "gone.tpg"));
  EXPECT_FALSE(fs::exists(folder_ / "short.png"));
  EXPECT_FALSE(fs::exists(folder_ / "100-0000.png"));
}

}  // namespace
