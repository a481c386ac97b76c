#include "glyph_pictures.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "support/error.h"

namespace tavrel::fontc {

namespace {

// Picture files are small text; anything bigger is not one of ours.
constexpr std::size_t kMaxPictureFileSize = 4 * 1024 * 1024;

bool ParseHex(const std::string& text, std::size_t prefixLength, int maxValue, int& value) {
  if (text.size() <= prefixLength || text.size() > prefixLength + 6) return false;
  int result = 0;
  for (std::size_t i = prefixLength; i < text.size(); ++i) {
    const char c = text[i];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    result = result * 16 + digit;
  }
  if (result > maxValue) return false;
  value = result;
  return true;
}

}  // namespace

const TGlyphPicture& TPictureFile::ByCode(int code) const {
  for (const auto& glyph : Glyphs) {
    if (glyph.Code == code) return glyph;
  }
  char text[64];
  std::snprintf(text, sizeof text, "no glyph for code 0x%02X", code);
  throw FileError(Path, text);
}

const TGlyphPicture* TPictureFile::FindUnicode(int unicode) const {
  for (const auto& glyph : Glyphs) {
    if (glyph.Unicode == unicode) return &glyph;
  }
  return nullptr;
}

TPictureFile ReadPictureFile(const std::string& path, int expectedWidth, int expectedHeight) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open the glyph picture file");
  in.seekg(0, std::ios::end);
  if (static_cast<std::size_t>(in.tellg()) > kMaxPictureFileSize) {
    throw FileError(path, "glyph picture file is larger than 4 MiB");
  }
  in.seekg(0);

  TPictureFile file;
  file.Path = path;
  std::set<int> codes;
  std::set<int> unicodes;
  TGlyphPicture* open = nullptr;  // the glyph whose rows are being read
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) { return ParseError(path, lineNumber, 1, what); };

  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (open != nullptr && static_cast<int>(open->Rows.size()) < file.Height) {
      if (static_cast<int>(line.size()) != file.Width) {
        throw fail("picture row must be " + std::to_string(file.Width) +
                   " characters of '#' or '.'");
      }
      std::uint16_t row = 0;
      for (int x = 0; x < file.Width; ++x) {
        if (line[x] == '#') {
          row |= static_cast<std::uint16_t>(1u << (file.Width - 1 - x));
        } else if (line[x] != '.') {
          throw fail("picture rows hold only '#' and '.'");
        }
      }
      open->Rows.push_back(row);
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (keyword == "size") {
      if (file.Width != 0) throw fail("second size line");
      if (!(words >> file.Width >> file.Height) || file.Width != expectedWidth ||
          file.Height != expectedHeight) {
        throw fail("size must be " + std::to_string(expectedWidth) + " " +
                   std::to_string(expectedHeight));
      }
    } else if (keyword == "glyph") {
      if (file.Width == 0) throw fail("glyph before the size line");
      TGlyphPicture glyph;
      glyph.Line = lineNumber;
      std::string word;
      while (words >> word) {
        if (glyph.Name.empty() && glyph.Code < 0 && glyph.Unicode < 0 && word.rfind("0x", 0) == 0) {
          if (!ParseHex(word, 2, 0xFF, glyph.Code)) throw fail("bad glyph code " + word);
        } else if (glyph.Name.empty() && glyph.Unicode < 0 && word.rfind("U+", 0) == 0) {
          if (!ParseHex(word, 2, 0x10FFFF, glyph.Unicode)) throw fail("bad character " + word);
        } else {
          glyph.Name += (glyph.Name.empty() ? "" : " ") + word;
        }
      }
      if (glyph.Code < 0 && glyph.Unicode < 0) throw fail("glyph without code or character");
      if (glyph.Code >= 0 && !codes.insert(glyph.Code).second) throw fail("code drawn twice");
      if (glyph.Unicode >= 0 && !unicodes.insert(glyph.Unicode).second) {
        throw fail("character drawn twice");
      }
      file.Glyphs.push_back(std::move(glyph));
      open = &file.Glyphs.back();
    } else {
      throw fail("expected 'size' or 'glyph', found '" + keyword + "'");
    }
  }
  if (open != nullptr && static_cast<int>(open->Rows.size()) < file.Height) {
    throw fail("file ends inside a picture");
  }
  if (file.Width == 0) throw FileError(path, "no size line");
  return file;
}

}  // namespace tavrel::fontc
