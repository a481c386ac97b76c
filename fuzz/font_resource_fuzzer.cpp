// Feeds arbitrary bytes to the teletext font file reader: a broken file must be refused with an
// error naming it, and every face read must fit the cell limits the renderer relies on.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "render/teletext_fonts.h"
#include "support/error.h"

using tavrel::fuzz::Require;

namespace {

TAVREL_FUZZ_HARNESS void RequireFacesFitTheirCells(
    const std::vector<tavrel::TTeletextFace>& faces) {
  for (const auto& face : faces) {
    Require(face.Width() > 0 && face.Width() <= tavrel::kMaxGlyphWidth, "face width in range");
    Require(face.Height() > 0 && face.Height() <= tavrel::kMaxGlyphHeight, "face height in range");
    for (int code = 0; code < 256; ++code) {
      const std::uint16_t* rows = face.GlyphRows(static_cast<std::uint8_t>(code));
      for (int y = 0; y < face.Height(); ++y) {
        Require((rows[y] >> face.Width()) == 0, "glyph rows fit the cell width");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::vector<tavrel::TTeletextFace> faces;
  try {
    faces = tavrel::ParseFontResource(bytes, "fuzz.fon");
  } catch (const tavrel::Error& error) {
    Require(std::string(error.what()).find("fuzz.fon") != std::string::npos,
            "the error names the file");
    return 0;
  }
  RequireFacesFitTheirCells(faces);
  return 0;
}
