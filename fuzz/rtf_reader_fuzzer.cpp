// Feeds arbitrary bytes to the help file's RTF reader. Beyond not crashing: the only error is
// tavrel::Error, every run's text is well-formed UTF-8, font sizes stay within their bounds, and
// nothing is read past the input.

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "support/error.h"
#include "support/rtf_reader.h"
#include "support/text_encoding.h"

using tavrel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  tavrel::TRtfDocument document;
  try {
    document = tavrel::ReadRtf(rtf, "Help.rtf");
  } catch (const tavrel::Error&) {
    return 0;
  }
  Require(!document.Paragraphs.empty(), "a document has at least one paragraph");
  for (const tavrel::TRtfParagraph& paragraph : document.Paragraphs) {
    for (const tavrel::TRtfRun& run : paragraph.Runs) {
      Require(!run.Text.empty(), "runs hold text");
      Require(tavrel::FindInvalidUtf8(run.Text) == std::string_view::npos,
              "run text is well-formed UTF-8");
      Require(run.FontHalfPoints >= tavrel::kMinRtfHalfPoints &&
                  run.FontHalfPoints <= tavrel::kMaxRtfHalfPoints,
              "font sizes stay within bounds");
    }
  }
  return 0;
}
