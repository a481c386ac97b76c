#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

// Load bits of LoadTeletextFonts: one per font file the loader knows. The program itself only
// ever asks for kFontFileAll1216, the combined 12 x 16 file with all nine faces.
inline constexpr int kFontFile0608 = 1;      // "qor0608.fon", 6 x 8, fills set 1
inline constexpr int kFontFile0912 = 2;      // "qor0912.fon", 9 x 12, fills set 2
inline constexpr int kFontFile1216 = 4;      // "qor1216.fon", 12 x 16, fills set 3
inline constexpr int kFontFile1520 = 8;      // "qor1520.fon", 15 x 20, fills set 4
inline constexpr int kFontFileAll1216 = 16;  // "p1216all.fon", 12 x 16, set 3 + language faces

// Size numbers of the font sets (FontSet); the views and the editor use kFontSize1216.
inline constexpr int kFontSize0608 = 1;
inline constexpr int kFontSize0912 = 2;
inline constexpr int kFontSize1216 = 3;
inline constexpr int kFontSize1520 = 4;

// Face names as they stand in the font files.
inline constexpr const char* kFaceSingleHeight = "EHPRESTEL";
inline constexpr const char* kFaceDoubleHeight = "DHPRESTEL";
inline constexpr const char* kFaceNational = "LAPRESTEL";
// The six complete per-language faces, in the national option order English, German, Swedish,
// Italian, French, Spanish.
inline constexpr std::array<const char*, 6> kLanguageFaces = {"PrestUK", "PrestD", "PrestS",
                                                              "PrestI",  "PrestF", "PrestE"};

// The widest and tallest cell any face may have: glyph rows are 16-bit masks, and no teletext
// cell is taller than this. Larger faces in a file are rejected as errors.
inline constexpr int kMaxGlyphWidth = 16;
inline constexpr int kMaxGlyphHeight = 32;

// One fixed-cell bitmap face with 256 glyph codes. Codes the font file does not define show
// the file's default glyph, so any byte can be drawn without a range check.
//
// Two views of every glyph, both ready for blitting without decoding at draw time:
//  - GlyphRows(code): Height() row masks; bit (Width() - 1) is the leftmost pixel, so for a
//    12 x 16 cell a row is a 12-bit mask with bit 11 leftmost;
//  - GlyphPixels(code): Width() x Height() bytes, row-major, 1 for an ink pixel, else 0.
class TTeletextFace {
 public:
  TTeletextFace() = default;
  TTeletextFace(std::string name, int width, int height);

  const std::string& Name() const { return name_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0; }

  const std::uint16_t* GlyphRows(std::uint8_t code) const {
    return rows_.data() + static_cast<std::size_t>(code) * height_;
  }
  const std::uint8_t* GlyphPixels(std::uint8_t code) const {
    return pixels_.data() + static_cast<std::size_t>(code) * width_ * height_;
  }
  bool Pixel(std::uint8_t code, int x, int y) const {
    return GlyphPixels(code)[y * width_ + x] != 0;
  }

  // Fills one glyph from its row masks (Height() entries, bit Width() - 1 leftmost); used by
  // the file reader.
  void SetGlyph(std::uint8_t code, const std::uint16_t* rows);

 private:
  std::string name_;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint16_t> rows_;   // 256 x height_
  std::vector<std::uint8_t> pixels_;  // 256 x width_ x height_
};

// One font set per size number: the cell size and the three faces the renderer draws with.
// A set whose file was never loaded has zero cell sizes and null faces.
struct TFontSet {
  std::uint16_t CellWidth = 0;
  std::uint16_t CellHeight = 0;
  const TTeletextFace* SingleHeight = nullptr;  // EHPRESTEL
  const TTeletextFace* DoubleHeight = nullptr;  // DHPRESTEL
  const TTeletextFace* National = nullptr;      // LAPRESTEL

  bool Loaded() const { return SingleHeight != nullptr; }
};

// What a load found wrong. Missing files are listed by full path; files that exist but cannot
// be read (broken, truncated, a face missing) are listed with the reader's error text. The
// fonts of every good file are loaded all the same.
struct TFontLoadResult {
  std::vector<std::string> MissingFiles;
  std::vector<std::string> BrokenFiles;

  bool Success() const { return MissingFiles.empty() && BrokenFiles.empty(); }
  // The text for the operator: "Font file(s)", one line per missing path, "not found!", then
  // one line per broken file. Lines are separated by '\n'. Empty when everything loaded.
  std::string Message() const;
};

// Every teletext face the program has loaded: the four font sets and the six language faces.
// The program keeps one instance (LoadTeletextFonts and friends below); tests make their own.
class TTeletextFonts {
 public:
  TTeletextFonts() = default;
  // The sets point at faces inside this object, so it is never copied.
  TTeletextFonts(const TTeletextFonts&) = delete;
  TTeletextFonts& operator=(const TTeletextFonts&) = delete;

  // Empties every set and face, then loads the files of the given load bits from the folder,
  // in the order of the bits 1, 2, 4, 8, 16. Never throws for file problems; they are in the
  // result.
  TFontLoadResult Load(int loadBits, const std::string& fontDirectory);
  void Unload();

  // The set of a size number 1 to 4; any other number gives an empty set.
  const TFontSet& FontSet(int sizeNumber) const;
  // A 12 x 16 language face by its index in kLanguageFaces, or null when not loaded.
  const TTeletextFace* LanguageFace(int languageIndex) const;
  // The face text controls use for a character set code: 0, 6 and 14 PrestUK, 2 PrestF,
  // 4 PrestS, 8 PrestD, 10 PrestE, 12 PrestI; null for any other code or when not loaded.
  const TTeletextFace* CharSetFace(int charSet) const;

 private:
  // Faces of each set: single, double, national; the language faces sit in their own array.
  std::array<std::array<TTeletextFace, 3>, 4> setFaces_;
  std::array<TFontSet, 4> sets_;
  std::array<TTeletextFace, 6> languageFaces_;
};

// Reads every face of a Windows raster font resource file (.fon: FNT faces in an NE
// container). Throws tavrel::Error naming the file and what is wrong for a missing, truncated
// or malformed file; never reads outside the file's bytes.
std::vector<TTeletextFace> ReadFontResourceFile(const std::string& path);
// The same on bytes already in memory; the name is used only in error messages.
std::vector<TTeletextFace> ParseFontResource(const std::vector<std::uint8_t>& bytes,
                                             const std::string& fileName);

// The program-wide fonts. LoadTeletextFonts loads from the folder of the running executable
// (the second form from a given folder, for tests and tools); the caller shows
// result.Message() when !result.Success().
TFontLoadResult LoadTeletextFonts(int loadBits);
TFontLoadResult LoadTeletextFonts(int loadBits, const std::string& fontDirectory);
void UnloadTeletextFonts();
const TFontSet& FontSet(int sizeNumber);
const TTeletextFonts& TeletextFonts();

}  // namespace tavrel
