#pragma once

#include <functional>

#include "pipeline/scan_cycle.h"

namespace tavrel {

class TRIGlobals;
class TFileProgressView;

// The real work of a scan step, over the settings store, the feed folders and the
// transmission server. regenerate empties ExportDir and generates the pages of the fetched
// feed into it (the window also shows the first page); it answers whether any page was
// generated and throws tavrel::Error on a feed or file error. progressView, when given, shows
// the archive upload. The settings are read at every step, so changes made between steps
// count.
TScanOperations MakeScanOperations(TRIGlobals& globals, std::function<bool()> regenerate,
                                   TFileProgressView* progressView = nullptr);

}  // namespace tavrel
