#pragma once

#include <optional>
#include <string>

namespace tavrel {

class TRIGlobals;

// The fingerprint of everything a run turns into pages: the fetched feed's bytes, every
// template file the category table names (its bytes, or that it is missing) and the settings
// that shape pages (the category table, the element names, Fastext, the character set, the
// format correction, HTML texts). A change of any of them is a change that must go on air.
inline constexpr const char* kInputsDigestFileName = "Inputs.digest";

// The digest of the inputs of a run over the fetched feed in ImportDir, as 32 hex digits.
// A feed that cannot be read counts as its error message, so that the digest is always
// defined.
std::string InputsDigestOf(const TRIGlobals& settings);

// The digest of the inputs of the last complete upload (HandledDir), or nothing when none
// was recorded. A file that cannot be read counts as none.
std::optional<std::string> ReadCommittedDigest(const TRIGlobals& settings);

// Records digest as that of the last complete upload. Throws Error naming the file on failure.
void CommitInputsDigest(const TRIGlobals& settings, const std::string& digest);

}  // namespace tavrel
