#pragma once

// Stand-in until the shared utility routines land; replaced by the foundation's file.
#include <string>

namespace tavrel {

// False when s holds / \ : * ? " > < | or, when spaces are not allowed, a space.
bool IsValidFileName(const std::string& s, bool spacesAllowed);

}  // namespace tavrel
