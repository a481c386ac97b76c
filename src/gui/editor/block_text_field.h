#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "page/page_record.h"

namespace tavrel::gui {

// The plain text field that lies over the text block in block-text mode: yellow teletext text
// on dark blue, wrapped inside the block. It keeps the page's bytes as they are (a byte is one
// character), limits the last line to the block width and converts national characters on its
// way to and from the system clipboard.
class TBlockTextField : public QPlainTextEdit {
 public:
  explicit TBlockTextField(QWidget* parent);

  // The block the field edits (its size limits the keys) and the page's character set (its
  // face, the keyboard and the clipboard conversions).
  void SetBlock(const TTextBlock& block) { block_ = block; }
  void SetCharSet(int charSet);

  void SetLines(const std::vector<std::string>& lines);
  // The field's lines as it shows them: each wrapped line separately.
  std::vector<std::string> Lines() const;

  // Edit menu commands; copy and paste go through the system clipboard with the national
  // conversions.
  void CopyText();
  void CutText();
  void PasteText();
  void DeleteText();
  bool CanUndo() const { return canUndo_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The text system lays the text out with the teletext face's metrics but does not draw the
  // raster glyphs; the field draws them itself from the program's loaded faces.
  void paintEvent(QPaintEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // Text from outside the field (clipboard, drop), converted for the page's character set.
  void InsertOutsideText(const QString& text);

  int charSet_ = 8;
  TTextBlock block_;
  bool canUndo_ = false;
};

// Registers the teletext font file's faces with the text system once, so the field can show
// "PrestUK", "PrestD", ...; answers whether they are available.
bool RegisterTeletextFaces(const QString& programFolder);

}  // namespace tavrel::gui
