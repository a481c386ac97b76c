#include "glyph_pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/error.h"
#include "teletext_layouts.h"

namespace tavrel::fontc {
namespace {

namespace fs = std::filesystem;

// A path under the test temporary folder that no other test process uses at the same time.
fs::path TempPath(const std::string& name) {
  return fs::path(testing::TempDir()) / (name + "." + std::to_string(::getpid()));
}

const std::string kBlankRow = "............";

std::string Blank(int rows) {
  std::string text;
  for (int i = 0; i < rows; ++i) text += kBlankRow + "\n";
  return text;
}

fs::path WriteTemp(const std::string& name, const std::string& text) {
  const fs::path path = TempPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(GlyphPicturesTest, ReadsPicturesWithTheirKeys) {
  const fs::path path =
      WriteTemp("good.txt", "; comment\nsize 12 16\n\nglyph 0x41 U+0041 capital A\n" +
                                std::string("##........##\n") + Blank(15) +
                                "glyph U+00E4 a with diaeresis\n" + Blank(16));
  const TPictureFile file = ReadPictureFile(path.string(), 12, 16);
  ASSERT_EQ(file.Glyphs.size(), 2u);
  EXPECT_EQ(file.Glyphs[0].Code, 0x41);
  EXPECT_EQ(file.Glyphs[0].Unicode, 0x41);
  EXPECT_EQ(file.Glyphs[0].Name, "capital A");
  EXPECT_EQ(file.Glyphs[0].Rows[0], 0xC03);  // bit 11 is the leftmost pixel
  EXPECT_EQ(file.Glyphs[1].Code, -1);
  EXPECT_EQ(file.Glyphs[1].Unicode, 0xE4);
  EXPECT_EQ(file.FindUnicode(0xE4), &file.Glyphs[1]);
}

// Every flaw of a picture file is an error naming the file and the line.
TEST(GlyphPicturesTest, BrokenPictureFilesGiveAClearError) {
  struct Case {
    const char* What;
    std::string Text;
    std::string Message;  // after "<path>:"
  };
  const Case cases[] = {
      {"short row", "size 12 16\nglyph 0x20 space\n..........\n",
       "3:1: picture row must be 12 characters of '#' or '.'"},
      {"foreign character", "size 12 16\nglyph 0x20 space\n" + Blank(4) + "....x.......\n",
       "7:1: picture rows hold only '#' and '.'"},
      {"glyph before size", "glyph 0x20 space\n", "1:1: glyph before the size line"},
      {"wrong size", "size 8 9\n", "1:1: size must be 12 16"},
      {"unknown line", "size 12 16\nglyf 0x20\n", "2:1: expected 'size' or 'glyph', found 'glyf'"},
      {"no key", "size 12 16\nglyph space\n", "2:1: glyph without code or character"},
      {"code out of range", "size 12 16\nglyph 0x100 big\n", "2:1: bad glyph code 0x100"},
      {"code twice", "size 12 16\nglyph 0x20 a\n" + Blank(16) + "glyph 0x20 b\n",
       "19:1: code drawn twice"},
      {"character twice", "size 12 16\nglyph U+00E4 a\n" + Blank(16) + "glyph U+00E4 b\n",
       "19:1: character drawn twice"},
      {"ends inside a picture", "size 12 16\nglyph 0x20 space\n" + Blank(3),
       "5:1: file ends inside a picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path path = WriteTemp("broken.txt", c.Text);
    try {
      ReadPictureFile(path.string(), 12, 16);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), path.string() + ":" + c.Message);
    }
  }
}

// The compiler refuses sources that leave a glyph of a layout undrawn.
TEST(GlyphPicturesTest, MissingGlyphsOfALayoutAreNamed) {
  const std::string real = std::string(TAVREL_SOURCE_DIR) + "/data/fonts";
  struct Case {
    const char* What;
    const char* File;     // the file replaced by a cut-down copy
    std::string Without;  // the "glyph ..." key left out
    std::string Message;  // after "<path>: "
  };
  const Case cases[] = {
      {"national character", "national.txt", "U+00E4",
       "no picture of character U+00E4, which a national set needs"},
      {"control symbol", "controls.txt", "0x1B", "no glyph for code 0x1B"},
      {"English character", "english.txt", "0x7E", "no glyph for code 0x7E"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path folder = TempPath("tavrel_font_sources");
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : {"english.txt", "national.txt", "controls.txt"}) {
      std::ifstream in(real + "/" + name);
      std::ofstream out(folder / name);
      std::string line;
      int skip = 0;
      while (std::getline(in, line)) {
        if (line.rfind("glyph " + c.Without + " ", 0) == 0 && name == std::string(c.File)) {
          skip = 17;
        }
        if (skip > 0) {
          --skip;
          continue;
        }
        out << line << "\n";
      }
    }
    try {
      BuildTeletextFaces(ReadGlyphSources(folder.string()));
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), (folder / c.File).string() + ": " + c.Message);
    }
    fs::remove_all(folder);
  }
}

}  // namespace
}  // namespace tavrel::fontc
