#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "teletext_layouts.h"

namespace tavrel::fontc {

// Builds a Windows raster font resource file: an MZ stub, an NE header, a resource table with
// one FONTDIR and one FONT resource per face, the resident and non-resident name tables, and
// the faces as version 2 FNT resources (fixed pitch, modern family, OEM character set, 96 dpi).
// moduleName is the resident module name (upper case, no extension), description the
// non-resident "FONTRES ..." line.
std::vector<std::uint8_t> BuildFontResourceFile(const std::vector<TFaceGlyphs>& faces,
                                                const std::string& moduleName,
                                                const std::string& description);

}  // namespace tavrel::fontc
