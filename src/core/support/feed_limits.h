#pragma once

#include <cstddef>
#include <string>

namespace tavrel {

// The largest feed the program reads or downloads. A news feed of this size would already be
// absurd; the limit keeps a runaway download or a wrong file from exhausting memory.
inline constexpr std::size_t kMaxFeedBytes = std::size_t{64} * 1024 * 1024;

// The message for a feed over the limit, "feed larger than 64 MiB", made from the limit itself
// so that the two cannot drift apart.
inline std::string FeedTooLargeText() {
  constexpr std::size_t kMiB = std::size_t{1024} * 1024;
  static_assert(kMaxFeedBytes % kMiB == 0, "the message gives the limit in whole MiB");
  return "feed larger than " + std::to_string(kMaxFeedBytes / kMiB) + " MiB";
}

}  // namespace tavrel
