#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::fontc {

// One glyph picture of a source file: the code it has in the file's layout (or -1), the
// Unicode character it shows (or -1), its name, and its rows, bit (width - 1) leftmost.
struct TGlyphPicture {
  int Code = -1;
  int Unicode = -1;
  std::string Name;
  std::vector<std::uint16_t> Rows;
  int Line = 0;  // where the glyph starts in its file, for messages
};

// A picture file: "size W H", then blocks of "glyph [0xNN] [U+XXXX] name" followed by H lines of
// W characters, '#' ink and '.' paper. Lines starting with ';' and blank lines between blocks
// are ignored.
struct TPictureFile {
  std::string Path;
  int Width = 0;
  int Height = 0;
  std::vector<TGlyphPicture> Glyphs;

  // The glyph with the given code or Unicode character; throws naming the file when absent.
  const TGlyphPicture& ByCode(int code) const;
  const TGlyphPicture* FindUnicode(int unicode) const;
};

// Reads and checks a picture file; every problem is a tavrel::Error naming the file and line.
TPictureFile ReadPictureFile(const std::string& path, int expectedWidth, int expectedHeight);

}  // namespace tavrel::fontc
