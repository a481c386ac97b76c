#pragma once

#include <string>
#include <string_view>

#include "serve/preview_generation.h"

namespace tavrel {

// The documents of the browser preview. Every page is a whole, plain HTML document that works
// without scripts: the picture, the page's text over it as a text layer (transparent, so
// screen readers, the browser's find and copying read what the picture shows), every page
// number and fastext prompt a link to its page, and the remote control as links and a form.
// The script (kPreviewScript) only makes the same links faster and live.

// Seconds a receiver shows each sub-page of a rotating page.
inline constexpr int kSubPageCycleSeconds = 8;

// Addresses: "/NNN" shows page NNN's first sub-page, "/NNN/SSSS" one sub-page; the pictures of
// a generation are "/image/<generation>/NNN/SSSS.png" and ".../SSSS@2x.png".
std::string PageAddress(std::string_view number);
std::string SubPageAddress(std::string_view number, std::string_view subPage);
std::string PictureAddress(std::uint64_t generation, std::string_view number,
                           std::string_view subPage, int scale);

// Text as HTML text or attribute value: & < > " ' escaped. The text is UTF-8.
std::string EscapeHtml(std::string_view text);

// The document of one sub-page of a page of generation.
std::string SubPageDocument(const TPreviewGeneration& generation, const TPreviewPage& page,
                            const TPreviewSubPage& subPage);

// The document for a page number the generation does not hold: as a receiver's page search,
// the header shows the number asked for and the page says that it is not on air. Also the
// document of a generation without pages (number empty).
std::string MissingPageDocument(const TPreviewGeneration& generation, std::string_view number);

// The style sheet and the script every document loads, served as "/static/preview.css" and
// "/static/preview.js".
extern const std::string_view kPreviewStyleSheet;
extern const std::string_view kPreviewScript;

}  // namespace tavrel
