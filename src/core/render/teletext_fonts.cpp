#include "render/teletext_fonts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "support/error.h"

namespace tavrel {

namespace {

// Font resource files of the program are under 200 KiB; a file far larger is not one.
constexpr std::size_t kMaxFontFileSize = 16 * 1024 * 1024;

// NE container: the MZ header points at the NE header, whose resource table lists the FONT
// resources (type 0x8008) with offsets and lengths in units of 1 << align shift.
constexpr std::size_t kMzPointerOffset = 0x3C;
constexpr std::size_t kNeHeaderSize = 0x40;
constexpr std::size_t kNeResourceTableField = 0x24;
constexpr std::uint16_t kResourceTypeFont = 0x8008;
constexpr int kMaxAlignShift = 16;

// FNT header fields used here (byte offsets), for versions 2 and 3.
constexpr std::size_t kFntVersion = 0;
constexpr std::size_t kFntSize = 2;
constexpr std::size_t kFntType = 66;
constexpr std::size_t kFntPixWidth = 86;
constexpr std::size_t kFntPixHeight = 88;
constexpr std::size_t kFntMaxWidth = 93;
constexpr std::size_t kFntFirstChar = 95;
constexpr std::size_t kFntLastChar = 96;
constexpr std::size_t kFntDefaultChar = 97;
constexpr std::size_t kFntFace = 105;
constexpr std::size_t kFntHeaderSizeV2 = 118;
constexpr std::size_t kFntHeaderSizeV3 = 148;

// The files the loader knows, by load bit, with the cell size of their faces and the set
// they fill (index 0..3 for size numbers 1..4).
struct TFontFileSpec {
  int LoadBit;
  const char* FileName;
  int Width;
  int Height;
  int SetIndex;
  bool HasLanguageFaces;
};
constexpr std::array<TFontFileSpec, 5> kFontFiles = {{
    {kFontFile0608, "qor0608.fon", 6, 8, 0, false},
    {kFontFile0912, "qor0912.fon", 9, 12, 1, false},
    {kFontFile1216, "qor1216.fon", 12, 16, 2, false},
    {kFontFile1520, "qor1520.fon", 15, 20, 3, false},
    {kFontFileAll1216, "p1216all.fon", 12, 16, 2, true},
}};

// Character set code to the index of its face in kLanguageFaces, for text controls; -1 keeps
// the face unchanged. Codes 6 and 14 are no language of the system and show English.
constexpr std::array<int, 16> kCharSetLanguageFace = {0, -1, 4, -1, 2, -1, 0, -1,
                                                      1, -1, 5, -1, 3, -1, 0, -1};

// Bounds-checked little-endian reads over one file's bytes; every failure names the file.
class ByteReader {
 public:
  ByteReader(const std::vector<std::uint8_t>& bytes, const std::string& fileName)
      : bytes_(bytes), fileName_(fileName) {}

  void Need(std::size_t offset, std::size_t count, const char* what) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
      throw FileError(fileName_, std::string("truncated font file: ") + what + " at byte " +
                                     std::to_string(offset) + " runs past the end (" +
                                     std::to_string(bytes_.size()) + " bytes)");
    }
  }
  std::uint8_t U8(std::size_t offset, const char* what) const {
    Need(offset, 1, what);
    return bytes_[offset];
  }
  std::uint16_t U16(std::size_t offset, const char* what) const {
    Need(offset, 2, what);
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
  }
  std::uint32_t U32(std::size_t offset, const char* what) const {
    return U16(offset, what) | (static_cast<std::uint32_t>(U16(offset + 2, what)) << 16);
  }
  Error Bad(const std::string& what) const { return FileError(fileName_, what); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  const std::string& fileName_;
};

// One FNT resource at [start, start + length) of the file.
TTeletextFace ParseFnt(const ByteReader& file, std::size_t start, std::size_t length,
                       int resourceNumber) {
  const std::string where = "font resource " + std::to_string(resourceNumber) + ": ";
  const std::uint16_t version = file.U16(start + kFntVersion, "FNT header");
  if (version != 0x0200 && version != 0x0300) {
    throw file.Bad(where + "unsupported FNT version 0x" + [&] {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", version);
      return std::string(hex);
    }());
  }
  const std::size_t headerSize = version == 0x0200 ? kFntHeaderSizeV2 : kFntHeaderSizeV3;
  file.Need(start, headerSize, "FNT header");
  const std::uint32_t size = file.U32(start + kFntSize, "FNT header");
  if (size < headerSize || size > length) {
    throw file.Bad(where + "FNT size " + std::to_string(size) + " does not fit its resource of " +
                   std::to_string(length) + " bytes");
  }
  // From here on, every offset is checked against the FNT's own size as well as the file.
  auto inside = [&](std::size_t offset, std::size_t count, const char* what) {
    if (offset > size || count > size - offset) {
      throw file.Bad(where + what + " lies outside the FNT data");
    }
    file.Need(start + offset, count, what);
  };
  if (file.U16(start + kFntType, "FNT header") & 1) {
    throw file.Bad(where + "vector fonts are not supported");
  }
  const int height = file.U16(start + kFntPixHeight, "FNT header");
  int width = file.U16(start + kFntPixWidth, "FNT header");
  if (width == 0) width = file.U16(start + kFntMaxWidth, "FNT header");
  if (height < 1 || height > kMaxGlyphHeight || width < 1 || width > kMaxGlyphWidth) {
    throw file.Bad(where + "cell of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels is not a teletext cell");
  }
  const int firstChar = file.U8(start + kFntFirstChar, "FNT header");
  const int lastChar = file.U8(start + kFntLastChar, "FNT header");
  if (lastChar < firstChar) throw file.Bad(where + "last character before first character");
  const int defaultChar = firstChar + file.U8(start + kFntDefaultChar, "FNT header");

  const std::uint32_t faceOffset = file.U32(start + kFntFace, "FNT header");
  if (faceOffset >= size) throw file.Bad(where + "face name lies outside the FNT data");
  std::string name;
  for (std::size_t at = faceOffset; at < size && file.U8(start + at, "face name") != 0; ++at) {
    name.push_back(static_cast<char>(file.U8(start + at, "face name")));
    if (name.size() > 64) throw file.Bad(where + "face name longer than 64 characters");
  }
  if (name.empty()) throw file.Bad(where + "face without a name");

  TTeletextFace face(name, width, height);
  const std::size_t entrySize = version == 0x0200 ? 4 : 6;
  const std::size_t count = static_cast<std::size_t>(lastChar - firstChar + 1);
  inside(headerSize, count * entrySize, "character table");
  const std::size_t strips = static_cast<std::size_t>(width + 7) / 8;
  std::array<std::uint16_t, kMaxGlyphHeight> rows{};
  std::vector<std::array<std::uint16_t, kMaxGlyphHeight>> glyphs(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = start + headerSize + i * entrySize;
    const int glyphWidth = file.U16(entry, "character table");
    const std::size_t bits = version == 0x0200 ? file.U16(entry + 2, "character table")
                                               : file.U32(entry + 2, "character table");
    if (glyphWidth > width) {
      throw file.Bad(where + "glyph " + std::to_string(firstChar + i) + " is " +
                     std::to_string(glyphWidth) + " pixels wide in a " + std::to_string(width) +
                     "-pixel cell");
    }
    const std::size_t glyphStrips = static_cast<std::size_t>(glyphWidth + 7) / 8;
    inside(bits, glyphStrips * height, "glyph bitmap");
    rows.fill(0);
    // Column strips of 8 pixels, each all rows top to bottom; bit 7 is the strip's left pixel.
    for (std::size_t strip = 0; strip < glyphStrips && strip < strips; ++strip) {
      for (int y = 0; y < height; ++y) {
        const unsigned byte = file.U8(start + bits + strip * height + y, "glyph bitmap");
        // Place the byte left-aligned in a 16-bit row, then cut to the glyph width.
        rows[y] |= static_cast<std::uint16_t>(byte << (8 * (1 - strip)));
      }
    }
    for (int y = 0; y < height; ++y) {
      const unsigned keep = glyphWidth == 0 ? 0 : (0xFFFFu << (16 - glyphWidth)) & 0xFFFFu;
      glyphs[i][y] = static_cast<std::uint16_t>((rows[y] & keep) >> (16 - width));
    }
  }
  const bool hasDefault = defaultChar >= firstChar && defaultChar <= lastChar;
  for (int code = 0; code < 256; ++code) {
    if (code >= firstChar && code <= lastChar) {
      face.SetGlyph(static_cast<std::uint8_t>(code), glyphs[code - firstChar].data());
    } else if (hasDefault) {
      face.SetGlyph(static_cast<std::uint8_t>(code), glyphs[defaultChar - firstChar].data());
    }
  }
  return face;
}

std::string ExecutableDirectory() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return ".";
  path.resize(static_cast<std::size_t>(length));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const TTeletextFace* FindFace(const std::vector<TTeletextFace>& faces, const char* name) {
  for (const auto& face : faces) {
    if (face.Name() == name) return &face;
  }
  return nullptr;
}

TTeletextFonts& ProgramFonts() {
  static TTeletextFonts fonts;
  return fonts;
}

}  // namespace

TTeletextFace::TTeletextFace(std::string name, int width, int height)
    : name_(std::move(name)),
      width_(width),
      height_(height),
      rows_(static_cast<std::size_t>(256) * height, 0),
      pixels_(static_cast<std::size_t>(256) * width * height, 0) {}

void TTeletextFace::SetGlyph(std::uint8_t code, const std::uint16_t* rows) {
  std::uint16_t* target = rows_.data() + static_cast<std::size_t>(code) * height_;
  std::uint8_t* pixels = pixels_.data() + static_cast<std::size_t>(code) * width_ * height_;
  for (int y = 0; y < height_; ++y) {
    target[y] = rows[y];
    for (int x = 0; x < width_; ++x) {
      pixels[y * width_ + x] = (rows[y] >> (width_ - 1 - x)) & 1;
    }
  }
}

std::string TFontLoadResult::Message() const {
  std::string text;
  if (!MissingFiles.empty()) {
    text = "Font file(s)\n";
    for (const auto& path : MissingFiles) text += path + "\n";
    text += "not found!";
  }
  for (const auto& problem : BrokenFiles) {
    if (!text.empty()) text += "\n";
    text += problem;
  }
  return text;
}

std::vector<TTeletextFace> ParseFontResource(const std::vector<std::uint8_t>& bytes,
                                             const std::string& fileName) {
  const ByteReader file(bytes, fileName);
  if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') {
    throw file.Bad("not a font resource file (no MZ header)");
  }
  const std::uint32_t ne = file.U32(kMzPointerOffset, "MZ header");
  file.Need(ne, kNeHeaderSize, "NE header");
  if (bytes[ne] != 'N' || bytes[ne + 1] != 'E') {
    throw file.Bad("not a font resource file (no NE header)");
  }
  const std::size_t table = ne + file.U16(ne + kNeResourceTableField, "NE header");
  const int shift = file.U16(table, "resource table");
  if (shift > kMaxAlignShift) {
    throw file.Bad("resource alignment shift " + std::to_string(shift) + " is too large");
  }

  std::vector<TTeletextFace> faces;
  std::size_t at = table + 2;
  // Each type entry has at least 8 bytes, so the walk ends within the file.
  for (;;) {
    const std::uint16_t type = file.U16(at, "resource table");
    if (type == 0) break;
    const std::uint16_t count = file.U16(at + 2, "resource table");
    at += 8;
    file.Need(at, static_cast<std::size_t>(count) * 12, "resource table");
    for (std::uint16_t i = 0; i < count; ++i, at += 12) {
      if (type != kResourceTypeFont) continue;
      const std::size_t offset = static_cast<std::size_t>(file.U16(at, "resource table")) << shift;
      std::size_t length = static_cast<std::size_t>(file.U16(at + 2, "resource table")) << shift;
      if (offset >= bytes.size()) {
        throw file.Bad("font resource " + std::to_string(faces.size() + 1) + " starts at byte " +
                       std::to_string(offset) + ", past the end of the file (" +
                       std::to_string(bytes.size()) + " bytes)");
      }
      // The last resource's length is rounded up to the alignment and may reach past the end;
      // the FNT's own size is checked against what is really there.
      length = std::min(length, bytes.size() - offset);
      faces.push_back(ParseFnt(file, offset, length, static_cast<int>(faces.size()) + 1));
    }
  }
  if (faces.empty()) throw file.Bad("no fonts in the font resource file");
  return faces;
}

std::vector<TTeletextFace> ReadFontResourceFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open the font file");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw FileError(path, "cannot read the font file");
  if (static_cast<std::size_t>(size) > kMaxFontFileSize) {
    throw FileError(path, "font file is larger than 16 MiB");
  }
  in.seekg(0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    throw FileError(path, "cannot read the font file");
  }
  return ParseFontResource(bytes, path);
}

TFontLoadResult TTeletextFonts::Load(int loadBits, const std::string& fontDirectory) {
  Unload();
  TFontLoadResult result;
  std::string folder = fontDirectory.empty() ? "." : fontDirectory;
  if (folder.back() != '/') folder += '/';
  for (const auto& fontFile : kFontFiles) {
    if ((loadBits & fontFile.LoadBit) == 0) continue;
    const std::string path = folder + fontFile.FileName;
    if (!FileExists(path)) {
      result.MissingFiles.push_back(path);
      continue;
    }
    try {
      const std::vector<TTeletextFace> faces = ReadFontResourceFile(path);
      // Every face the file must hold, checked before anything is kept, so a broken file
      // leaves its set empty rather than half filled.
      std::vector<const char*> wanted = {kFaceSingleHeight, kFaceDoubleHeight, kFaceNational};
      if (fontFile.HasLanguageFaces)
        wanted.insert(wanted.end(), kLanguageFaces.begin(), kLanguageFaces.end());
      for (const char* name : wanted) {
        const TTeletextFace* face = FindFace(faces, name);
        if (face == nullptr) throw FileError(path, std::string("no face ") + name);
        if (face->Width() != fontFile.Width || face->Height() != fontFile.Height) {
          throw FileError(
              path, std::string("face ") + name + " is " + std::to_string(face->Width()) + " x " +
                        std::to_string(face->Height()) + " pixels, not " +
                        std::to_string(fontFile.Width) + " x " + std::to_string(fontFile.Height));
        }
      }
      auto& setFaces = setFaces_[fontFile.SetIndex];
      setFaces[0] = *FindFace(faces, kFaceSingleHeight);
      setFaces[1] = *FindFace(faces, kFaceDoubleHeight);
      setFaces[2] = *FindFace(faces, kFaceNational);
      TFontSet& set = sets_[fontFile.SetIndex];
      set.CellWidth = static_cast<std::uint16_t>(fontFile.Width);
      set.CellHeight = static_cast<std::uint16_t>(fontFile.Height);
      set.SingleHeight = &setFaces[0];
      set.DoubleHeight = &setFaces[1];
      set.National = &setFaces[2];
      if (fontFile.HasLanguageFaces) {
        for (std::size_t i = 0; i < kLanguageFaces.size(); ++i) {
          languageFaces_[i] = *FindFace(faces, kLanguageFaces[i]);
        }
      }
    } catch (const Error& error) {
      result.BrokenFiles.push_back(error.what());
    }
  }
  return result;
}

void TTeletextFonts::Unload() {
  for (auto& faces : setFaces_) faces = {};
  sets_ = {};
  languageFaces_ = {};
}

const TFontSet& TTeletextFonts::FontSet(int sizeNumber) const {
  static const TFontSet kEmpty;
  if (sizeNumber < 1 || sizeNumber > static_cast<int>(sets_.size())) return kEmpty;
  return sets_[sizeNumber - 1];
}

const TTeletextFace* TTeletextFonts::LanguageFace(int languageIndex) const {
  if (languageIndex < 0 || languageIndex >= static_cast<int>(languageFaces_.size())) {
    return nullptr;
  }
  const TTeletextFace& face = languageFaces_[languageIndex];
  return face.Empty() ? nullptr : &face;
}

const TTeletextFace* TTeletextFonts::CharSetFace(int charSet) const {
  if (charSet < 0 || charSet >= static_cast<int>(kCharSetLanguageFace.size())) return nullptr;
  return LanguageFace(kCharSetLanguageFace[charSet]);
}

TFontLoadResult LoadTeletextFonts(int loadBits) {
  return ProgramFonts().Load(loadBits, ExecutableDirectory());
}

TFontLoadResult LoadTeletextFonts(int loadBits, const std::string& fontDirectory) {
  return ProgramFonts().Load(loadBits, fontDirectory);
}

void UnloadTeletextFonts() { ProgramFonts().Unload(); }

const TFontSet& FontSet(int sizeNumber) { return ProgramFonts().FontSet(sizeNumber); }

const TTeletextFonts& TeletextFonts() { return ProgramFonts(); }

}  // namespace tavrel
