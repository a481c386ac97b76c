#pragma once

// Stand-in until the shared utility routines land; replaced by the foundation's file.
#include <string>
#include <string_view>

namespace tavrel {

// False when s holds / \ : * ? " > < | or, when spaces are not allowed, a space.
bool IsValidFileName(std::string_view s, bool spacesAllowed);

}  // namespace tavrel
