#include "support/rtf_document.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace tavrel::gui {

void FillTextDocument(QTextDocument& document, const TRtfDocument& rtf) {
  document.clear();
  QTextCursor cursor(&document);
  bool first = true;
  for (const TRtfParagraph& paragraph : rtf.Paragraphs) {
    if (!first) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    first = false;
    for (const TRtfRun& run : paragraph.Runs) {
      QTextCharFormat format;
      format.setFontWeight(run.Bold ? QFont::Bold : QFont::Normal);
      format.setFontItalic(run.Italic);
      format.setFontUnderline(run.Underline);
      format.setFontPointSize(run.FontHalfPoints / 2.0);
      if (run.Colour) {
        format.setForeground(QColor(run.Colour->Red, run.Colour->Green, run.Colour->Blue));
      }
      // A line break inside a paragraph is the line separator in a QTextDocument.
      QString text = QString::fromUtf8(run.Text.data(), static_cast<qsizetype>(run.Text.size()));
      text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
      cursor.insertText(text, format);
    }
  }
}

}  // namespace tavrel::gui
