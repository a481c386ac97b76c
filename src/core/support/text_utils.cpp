#include "support/text_utils.h"

namespace tavrel {

bool IsValidFileName(const std::string& s, bool spacesAllowed) {
  const std::string forbidden = spacesAllowed ? "/\\:*?\"><|" : "/\\:*?\"><| ";
  return s.find_first_of(forbidden) == std::string::npos;
}

}  // namespace tavrel
