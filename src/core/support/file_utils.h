#pragma once

// Stand-in until the shared utility routines land; replaced by the foundation's file.
#include <cstdint>
#include <string>

namespace tavrel {

// Size in bytes of the first entry matching path, or -1 when nothing matches.
std::int64_t GetFileSize(const std::string& pathOrMask);

}  // namespace tavrel
