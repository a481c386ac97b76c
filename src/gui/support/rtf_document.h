#pragma once

#include "support/rtf_reader.h"

class QTextDocument;

namespace tavrel::gui {

// Puts the paragraphs and runs the RTF reader found into a QTextDocument, replacing what it
// held. Sizes are points (half the RTF's half points); a run without colour keeps the
// document's text colour.
void FillTextDocument(QTextDocument& document, const TRtfDocument& rtf);

}  // namespace tavrel::gui
