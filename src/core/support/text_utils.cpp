#include "support/text_utils.h"

namespace tavrel {

bool IsValidFileName(std::string_view s, bool spacesAllowed) {
  const std::string_view forbidden = spacesAllowed ? "/\\:*?\"><|" : "/\\:*?\"><| ";
  return s.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace tavrel
