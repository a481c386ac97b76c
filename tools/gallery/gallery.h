#pragma once

// The gallery's entries: every window and dialog of the program, opened with sample data. Each
// subsystem lists its own in a file of its own (gallery_<subsystem>.cpp) with one
// TGalleryRegistration, so that a new window touches nothing but its own file.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace tavrel::gallery {

struct TGalleryEntry {
  const char* Name;  // the picture's file name without ".png"
  std::function<std::unique_ptr<QWidget>()> Create;
};

// Every registered entry, in the order the files registered them.
std::vector<TGalleryEntry>& GalleryEntries();

// Adds entries when the program starts: `const TGalleryRegistration kShell({...});`.
struct TGalleryRegistration {
  explicit TGalleryRegistration(std::vector<TGalleryEntry> entries);
};

// The folder of the gallery program: the program's own files (fonts, Help.rtf) lie beside it.
QString ProgramFolder();

}  // namespace tavrel::gallery
