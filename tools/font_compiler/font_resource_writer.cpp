#include "font_resource_writer.h"

#include <algorithm>
#include <stdexcept>

namespace tavrel::fontc {

namespace {

// Resource types of the NE resource table (high bit: a numbered type).
constexpr std::uint16_t kTypeFontDirectory = 0x8007;
constexpr std::uint16_t kTypeFont = 0x8008;
// Resource flags: moveable, pure, preloaded... as font files carry them (0x1C30 = discardable,
// pure, moveable; priority bits as usual).
constexpr std::uint16_t kResourceFlags = 0x1C30;
// Resources start on 16-byte boundaries; table offsets and lengths are in those units.
constexpr int kAlignShift = 4;
constexpr std::size_t kNeHeaderOffset = 0x80;
constexpr std::size_t kNeHeaderSize = 0x40;
// Size of a version 2 FNT header, and of its part that a font directory entry repeats.
constexpr std::size_t kFntHeaderSize = 118;
constexpr std::size_t kFontDirectoryEntryHeaderSize = 113;
constexpr int kResolution = 96;
constexpr int kWeightNormal = 400;
constexpr std::uint8_t kCharSetOem = 0xFF;
constexpr std::uint8_t kFamilyModernFixed = 0x30;  // FF_MODERN; low bit clear = fixed pitch

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void U8(unsigned value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(unsigned value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(unsigned long value) {
    U16(value & 0xFFFF);
    U16((value >> 16) & 0xFFFF);
  }
  void Fixed(const std::string& text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) U8(i < text.size() ? text[i] : 0);
  }
  void Text(const std::string& text) {
    for (char c : text) U8(static_cast<unsigned char>(c));
  }
  void PadTo(std::size_t size) {
    while (bytes_.size() < size) U8(0);
  }
  std::size_t Size() const { return bytes_.size(); }
  void Put16(std::size_t at, unsigned value) {
    bytes_[at] = value & 0xFF;
    bytes_[at + 1] = (value >> 8) & 0xFF;
  }
  void Put32(std::size_t at, unsigned long value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, (value >> 16) & 0xFFFF);
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

// The FNT header fields through dfReserved; the writer fills the offsets it knows later.
void WriteFntHeader(ByteWriter& out, const TFaceGlyphs& face, unsigned long size,
                    unsigned long faceOffset, unsigned long bitsOffset) {
  out.U16(0x0200);  // dfVersion
  out.U32(size);    // dfSize
  out.Fixed("Tavrel teletext font, drawn for the Tavrel project", 60);
  out.U16(0);                               // dfType: raster
  out.U16(kCellHeight * 72 / kResolution);  // dfPoints
  out.U16(kResolution);                     // dfVertRes
  out.U16(kResolution);                     // dfHorizRes
  out.U16(13);                              // dfAscent: baseline under the capitals
  out.U16(0);                               // dfInternalLeading
  out.U16(0);                               // dfExternalLeading
  out.U8(0);                                // dfItalic
  out.U8(0);                                // dfUnderline
  out.U8(0);                                // dfStrikeOut
  out.U16(kWeightNormal);                   // dfWeight
  out.U8(kCharSetOem);                      // dfCharSet
  out.U16(kCellWidth);                      // dfPixWidth: fixed pitch
  out.U16(kCellHeight);                     // dfPixHeight
  out.U8(kFamilyModernFixed);               // dfPitchAndFamily
  out.U16(kCellWidth);                      // dfAvgWidth
  out.U16(kCellWidth);                      // dfMaxWidth
  out.U8(face.FirstChar);                   // dfFirstChar
  out.U8(face.LastChar);                    // dfLastChar
  out.U8(face.LastChar >= 0x20 ? 0x20 - face.FirstChar : 0);  // dfDefaultChar (relative)
  out.U8(face.LastChar >= 0x20 ? 0x20 - face.FirstChar : 0);  // dfBreakChar (relative)
  out.U16(2 * ((kCellWidth + 15) / 16));                      // dfWidthBytes: a row's bytes, even
  out.U32(0);                                                 // dfDevice
  out.U32(faceOffset);                                        // dfFace
  out.U32(0);                                                 // dfBitsPointer
  out.U32(bitsOffset);                                        // dfBitsOffset
}

std::vector<std::uint8_t> FntResource(const TFaceGlyphs& face) {
  const std::size_t count = face.LastChar - face.FirstChar + 1;
  const std::size_t strips = (kCellWidth + 7) / 8;
  const std::size_t glyphBytes = strips * kCellHeight;
  // The character table has one entry more than glyphs: the sentinel, pointing at a blank.
  const std::size_t tableSize = (count + 1) * 4;
  const std::size_t bitsOffset = kFntHeaderSize + tableSize;
  const std::size_t faceOffset = bitsOffset + (count + 1) * glyphBytes;
  const std::size_t size = faceOffset + face.Name.size() + 1;
  if (size > 0xFFFF) throw std::runtime_error("face " + face.Name + " is too big for FNT 2");

  std::vector<std::uint8_t> bytes;
  ByteWriter out(bytes);
  WriteFntHeader(out, face, size, faceOffset, bitsOffset);
  out.U8(0);  // dfReserved
  for (std::size_t i = 0; i <= count; ++i) {
    out.U16(kCellWidth);
    out.U16(bitsOffset + i * glyphBytes);
  }
  // Bitmaps are stored in 8-pixel-wide column strips, each strip all rows top to bottom, bit 7
  // of a byte the leftmost pixel of the strip.
  for (std::size_t i = 0; i <= count; ++i) {
    for (std::size_t strip = 0; strip < strips; ++strip) {
      for (int y = 0; y < kCellHeight; ++y) {
        const unsigned row = i < count ? face.Glyphs[i][y] : 0;
        // Left-align the row in 16 bits, then take the strip's byte.
        const unsigned aligned = row << (16 - kCellWidth);
        out.U8((aligned >> (8 * (1 - strip))) & 0xFF);
      }
    }
  }
  out.Text(face.Name);
  out.U8(0);
  return bytes;
}

// A font directory: the count, then per font its ordinal, the FNT header through dfFace, a
// reserved double word, the device name and the face name.
std::vector<std::uint8_t> FontDirectory(const std::vector<std::vector<std::uint8_t>>& fonts,
                                        const std::vector<TFaceGlyphs>& faces) {
  std::vector<std::uint8_t> bytes;
  ByteWriter out(bytes);
  out.U16(fonts.size());
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    out.U16(i + 1);
    for (std::size_t b = 0; b < kFontDirectoryEntryHeaderSize - 4; ++b) out.U8(fonts[i][b]);
    out.U32(0);
    out.U8(0);  // no device name
    out.Text(faces[i].Name);
    out.U8(0);
  }
  return bytes;
}

std::size_t Aligned(std::size_t value) {
  const std::size_t unit = std::size_t{1} << kAlignShift;
  return (value + unit - 1) / unit * unit;
}

}  // namespace

std::vector<std::uint8_t> BuildFontResourceFile(const std::vector<TFaceGlyphs>& faces,
                                                const std::string& moduleName,
                                                const std::string& description) {
  std::vector<std::vector<std::uint8_t>> fonts;
  for (const auto& face : faces) fonts.push_back(FntResource(face));
  const std::vector<std::uint8_t> directory = FontDirectory(fonts, faces);

  std::vector<std::uint8_t> bytes;
  ByteWriter out(bytes);

  // MZ stub: only the signature, the header size and the pointer to the NE header matter.
  out.Text("MZ");
  out.U16(0x80);  // bytes on the last page
  out.U16(1);     // pages
  out.U16(0);     // relocations
  out.U16(4);     // header size in paragraphs
  out.PadTo(0x18);
  out.U16(0x40);  // relocation table offset: 0x40 marks a new-style executable
  out.PadTo(0x3C);
  out.U32(kNeHeaderOffset);
  out.PadTo(kNeHeaderOffset);

  // Tables after the NE header, offsets relative to it.
  const std::size_t resourceTable = kNeHeaderSize;
  const std::string fontDirName = "FONTDIR";
  const std::size_t typesSize = 2 + (8 + 12) + (8 + 12 * fonts.size()) + 2;
  const std::size_t resourceNames = resourceTable + typesSize;
  const std::size_t residentNames = resourceNames + 1 + fontDirName.size() + 1;
  const std::size_t moduleTable = residentNames + 1 + moduleName.size() + 2 + 1;
  const std::size_t importTable = moduleTable;
  const std::size_t entryTable = importTable + 1;
  const std::size_t nonResidentNames = kNeHeaderOffset + entryTable + 2;
  const std::size_t nonResidentSize = 1 + description.size() + 2 + 1;

  // Resource placement.
  std::size_t offset = Aligned(nonResidentNames + nonResidentSize);
  const std::size_t directoryOffset = offset;
  offset = Aligned(offset + directory.size());
  std::vector<std::size_t> fontOffsets;
  for (const auto& font : fonts) {
    fontOffsets.push_back(offset);
    offset = Aligned(offset + font.size());
  }
  const std::size_t fileSize = offset;
  if ((fileSize >> kAlignShift) > 0xFFFF) throw std::runtime_error("font file too big for NE");

  // NE header.
  const std::size_t ne = out.Size();
  out.Text("NE");
  out.U8(5);   // linker version
  out.U8(10);  // linker revision
  out.U16(entryTable);
  out.U16(2);       // entry table size
  out.U32(0);       // CRC
  out.U16(0x8000);  // library module
  out.U16(0);       // automatic data segment
  out.U16(0);       // heap
  out.U16(0);       // stack
  out.U32(0);       // CS:IP
  out.U32(0);       // SS:SP
  out.U16(0);       // segments
  out.U16(0);       // module references
  out.U16(nonResidentSize);
  out.U16(kNeHeaderSize);  // segment table (empty)
  out.U16(resourceTable);
  out.U16(residentNames);
  out.U16(moduleTable);
  out.U16(importTable);
  out.U32(nonResidentNames);  // from the start of the file
  out.U16(0);                 // moveable entries
  out.U16(kAlignShift);
  out.U16(0);       // resource segments
  out.U8(2);        // Windows
  out.U8(0);        // other flags
  out.U16(0);       // return thunks
  out.U16(0);       // segment reference thunks
  out.U16(0);       // minimum code swap area
  out.U16(0x0300);  // expected Windows version
  if (out.Size() != ne + kNeHeaderSize) throw std::logic_error("NE header size");

  // Resource table.
  out.U16(kAlignShift);
  out.U16(kTypeFontDirectory);
  out.U16(1);
  out.U32(0);
  out.U16(directoryOffset >> kAlignShift);
  out.U16(Aligned(directory.size()) >> kAlignShift);
  out.U16(0x0C50);                         // font directories: moveable, preload
  out.U16(resourceNames - resourceTable);  // named by the string below
  out.U32(0);
  out.U16(kTypeFont);
  out.U16(fonts.size());
  out.U32(0);
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    out.U16(fontOffsets[i] >> kAlignShift);
    out.U16(Aligned(fonts[i].size()) >> kAlignShift);
    out.U16(kResourceFlags);
    out.U16(0x8000 | (i + 1));
    out.U32(0);
  }
  out.U16(0);  // end of types
  out.U8(fontDirName.size());
  out.Text(fontDirName);
  out.U8(0);  // end of resource names
  if (out.Size() != ne + residentNames) throw std::logic_error("resource table size");

  // Resident names: the module name with ordinal 0.
  out.U8(moduleName.size());
  out.Text(moduleName);
  out.U16(0);
  out.U8(0);
  out.U8(0);   // imported names: one empty entry
  out.U16(0);  // entry table: no bundles
  if (out.Size() != nonResidentNames) throw std::logic_error("name table size");
  out.U8(description.size());
  out.Text(description);
  out.U16(0);
  out.U8(0);

  out.PadTo(directoryOffset);
  for (auto b : directory) out.U8(b);
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    out.PadTo(fontOffsets[i]);
    for (auto b : fonts[i]) out.U8(b);
  }
  out.PadTo(fileSize);
  return bytes;
}

}  // namespace tavrel::fontc
