// Font compiler: turns the glyph pictures of data/fonts into the font files the program loads
// beside its executable: "p1216all.fon" (nine 12 x 16 faces) and "txtfont1.fnt".."txtfont6.fnt"
// (the large fonts for mosaic lettering).
//
// Usage: tavrel_font_compiler SOURCE_DIR OUTPUT_DIR
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "font_resource_writer.h"
#include "support/error.h"
#include "teletext_layouts.h"

namespace {

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  // Written to a temporary name and renamed, so an interrupted build never leaves half a font.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw tavrel::FileError(temporary, "cannot write the font file");
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    throw tavrel::FileError(path, "cannot replace the font file");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: %s SOURCE_DIR OUTPUT_DIR\n", argc > 0 ? argv[0] : "fontc");
    return 2;
  }
  const std::string sources = argv[1];
  const std::string output = argv[2];
  try {
    const auto faces = tavrel::fontc::BuildTeletextFaces(tavrel::fontc::ReadGlyphSources(sources));
    WriteFile(output + "/p1216all.fon",
              tavrel::fontc::BuildFontResourceFile(faces, "P1216ALL",
                                                   "FONTRES 100,96,96 : Tavrel teletext 12 x 16"));
    for (int number = 1; number <= 6; ++number) {
      const std::string name = "txtfont" + std::to_string(number);
      WriteFile(output + "/" + name + ".fnt",
                tavrel::fontc::BuildLargeFont(sources + "/large/" + name + ".txt"));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "font compiler: %s\n", error.what());
    return 1;
  }
  return 0;
}
