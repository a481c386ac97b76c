#pragma once

#include <string>
#include <vector>

namespace tavrel {

// One page file to publish: its name inside the page folder ("101.tti") and its bytes.
struct TFolderPageFile {
  std::string Name;
  std::string Bytes;
};

// What a publication did, for the log and for tests.
struct TFolderPublication {
  int Written = 0;    // files created or replaced
  int Unchanged = 0;  // files left alone because they already held these bytes
  int Removed = 0;    // files published earlier and no longer generated
};

// The page folder of an open inserter, written so that an inserter polling it never reads half
// a page and reloads only what changed:
//  - each changed file goes to a hidden temporary name in the same folder (a leading dot and no
//    ".tti" ending, so an inserter that picks page files by extension skips it); once all are
//    written they are flushed to disk together and then renamed over the old files;
//  - a file that already holds the same bytes is not rewritten (a needless reload restarts a
//    carousel on air);
//  - when the file being replaced carries a modification time in the current second or later,
//    the new file gets that time plus one whole second, so that an inserter comparing times in
//    whole seconds sees the change;
//  - the names Tavrel published are kept in a manifest (a file of its own, outside the folder);
//    only those are ever replaced or removed, so a file someone else put there survives. The
//    manifest first grows to the union of the old and the new names, then the files are
//    written and the old ones removed, and only then it shrinks to the new names: a
//    publication broken off anywhere leaves each page old or new and is completed by the next.
//
// A file name must be a plain name ending in ".tti" (no folder part, no leading dot).
// Answers true when every file is in place; otherwise false with failure (when given) naming the
// folder or file and the reason. Never throws.
bool PublishToFolder(const std::string& folder, const std::vector<TFolderPageFile>& files,
                     const std::string& manifestPath, std::string* failure = nullptr,
                     TFolderPublication* report = nullptr);

// Why the folder cannot take pages: missing, not a folder, or not writable by this process.
// Empty when it can. The text names the folder.
std::string PageFolderProblem(const std::string& folder);

// The hidden name beside a page file under which its next content is written before the
// rename: ".101.tti.new" for "101.tti".
std::string PageFolderTemporaryName(const std::string& name);

}  // namespace tavrel
