#include "pipeline/input_digest.h"

#include <cstdint>
#include <string_view>

#include "pipeline/feed_pipeline.h"
#include "pipeline/settings_store.h"
#include "support/error.h"
#include "support/feed_limits.h"
#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

// 128-bit FNV-1a: no library needed, fast enough for a feed of some megabytes, and wide
// enough that two different sets of inputs do not meet by chance.
class TDigest {
 public:
  // Each part is preceded by its length, so that "ab"+"c" and "a"+"bc" differ.
  void Add(std::string_view bytes) {
    AddRaw(std::to_string(bytes.size()) + ":");
    AddRaw(bytes);
  }
  void Add(std::int64_t number) { Add(std::to_string(number)); }
  std::string Hex() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(32, '0');
    unsigned __int128 value = state_;
    for (int i = 31; i >= 0; --i) {
      text[static_cast<std::size_t>(i)] = kDigits[static_cast<unsigned>(value & 0xF)];
      value >>= 4;
    }
    return text;
  }

 private:
  void AddRaw(std::string_view bytes) {
    for (const char c : bytes) {
      state_ ^= static_cast<unsigned char>(c);
      state_ *= kPrime;
    }
  }
  static constexpr unsigned __int128 kPrime =
      (static_cast<unsigned __int128>(0x0000000001000000ULL) << 64) | 0x000000000000013BULL;
  unsigned __int128 state_ =
      (static_cast<unsigned __int128>(0x6C62272E07BB0142ULL) << 64) | 0x62B821756295C58DULL;
};

void AddFile(TDigest& digest, const std::string& path) {
  digest.Add(path);
  try {
    digest.Add(PathExists(path) ? "file" : "missing");
    if (PathExists(path)) digest.Add(ReadFileBytes(path, kMaxFeedBytes));
  } catch (const Error& error) {
    digest.Add(error.what());
  }
}

}  // namespace

std::string InputsDigestOf(const TRIGlobals& settings) {
  TDigest digest;
  AddFile(digest, ImportedFeedPath(settings));
  const TXMLSchema& schema = settings.XmlSchema;
  for (const std::string* name :
       {&schema.RootElement, &schema.ChannelElement, &schema.MessageElement, &schema.TitleElement,
        &schema.CategoryElement, &schema.TextElement}) {
    digest.Add(*name);
  }
  digest.Add(schema.UseChannelElement);
  digest.Add(schema.UseCategoryElement);
  digest.Add(schema.HtmlTexts);
  digest.Add(settings.UseFastext);
  digest.Add(settings.DefaultCharSet);
  digest.Add(settings.FormatCorrection);
  for (const TRssTxtPageProperty& entry : CategoriesForRun(settings)) {
    digest.Add(entry.Category);
    for (const std::int32_t number :
         {entry.FirstNumber, entry.IndexNumber, entry.IndexNumberColor, entry.FastextLinkNr1,
          entry.FastextLinkNr2, entry.FastextLinkNr3, entry.FastextLinkNr4}) {
      digest.Add(number);
    }
    for (const bool flag : {entry.ShowTitle, entry.EmptyRowAfterTitle, entry.TitleUpperCase,
                            entry.PreserveIndexCharset, entry.PreserveMessageCharset}) {
      digest.Add(flag);
    }
    for (const std::string* prompt : {&entry.FastextPrompt1, &entry.FastextPrompt2,
                                      &entry.FastextPrompt3, &entry.FastextPrompt4}) {
      digest.Add(*prompt);
    }
    AddFile(digest, entry.IndexTemplateFileName);
    AddFile(digest, entry.MessageTemplateFileName);
  }
  return digest.Hex();
}

std::optional<std::string> ReadCommittedDigest(const TRIGlobals& settings) {
  const std::string path = settings.HandledDir + kInputsDigestFileName;
  try {
    if (!PathExists(path)) return std::nullopt;
    return std::string(TrimBlanks(ReadFileBytes(path, 1024)));
  } catch (const Error&) {
    return std::nullopt;
  }
}

void CommitInputsDigest(const TRIGlobals& settings, const std::string& digest) {
  ReplaceFileAtomically(settings.HandledDir + kInputsDigestFileName, digest + "\r\n", 0644);
}

}  // namespace tavrel
