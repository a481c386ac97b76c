// The page view control on the offscreen platform: size, what it paints and what a click says.
#include "render/prest_view.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

#include "editor/txt_ed.h"
#include "render/page_preview.h"
#include "render/teletext_fonts.h"

namespace tavrel::gui {
namespace {

class PrestViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  }
  static void TearDownTestSuite() { UnloadTeletextFonts(); }

  // The pixel in the middle of a cell of page row `row` (the view draws from row 1).
  static QPoint CellPoint(int row, int column) {
    return {6 + column * 12 + 5, 6 + (row - 1) * 16 + 7};
  }
};

TEST_F(PrestViewTest, SizeFollowsFontSetColumnsAndRows) {
  TPrestView view;
  struct Case {
    int fontSize;
    int rows;
    QSize size;
  };
  const Case cases[] = {
      {kFontSize1216, 23, {492, 380}},
      {kFontSize1216, 1, {492, 28}},
      {kFontSize0912, 23, {12, 12}},  // a set that was never loaded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fontSize);
    view.SetFontSize(c.fontSize);
    view.SetRows(c.rows);
    EXPECT_EQ(view.size(), c.size);
    EXPECT_EQ(QSize(view.Picture().Width(), view.Picture().Height()), c.size);
  }
}

// Read through the accessibility interface: "Teletext page" and the number when the owner
// gives one; the text of the rows the view shows, a row to a line, control codes as spaces.
TEST_F(PrestViewTest, TellsScreenReadersThePageNumberAndText) {
  TPrestView view;
  view.SetRows(2);
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&view);
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->text(QAccessible::Name), "Teletext page");
  TPrestPage page = TPrestPage::Blank(kCharSetEnglish);
  const std::string row1 = "\x01Harbour \x02#5";
  std::memcpy(&page.Cell(1, 0), row1.data(), row1.size());
  page.Cell(2, 3) = 'x';
  page.Cell(3, 0) = 'y';  // below the two rows shown
  view.SetPage(page);
  view.SetPageNumber("101");
  EXPECT_EQ(access->text(QAccessible::Name), "Teletext page 101");
  EXPECT_EQ(access->text(QAccessible::Description), QString::fromUtf8(" Harbour  \u00a35\n   x"));
  view.Clear();
  EXPECT_EQ(access->text(QAccessible::Description), "\n");
}

TEST_F(PrestViewTest, PaintsThePageAsThePreviewDrawsIt) {
  TPrestPage page = TPrestPage::Blank();
  const std::string text =
      "\x01Red \x0D\x02"
      "Double \x07"
      "101";
  std::copy(text.begin(), text.end(), page.Cells.begin() + 3 * kPageColumns);
  page.FrameColor = 4;  // the view always shows a black frame
  TPrestView view;
  view.SetPage(page);
  view.show();
  page.FrameColor = 0;
  const TRgbaImage expected = RenderPagePreview(page, FontSet(kFontSize1216));
  const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGBA8888);
  ASSERT_EQ(shown.size(), QSize(expected.Width(), expected.Height()));
  for (int y = 0; y < shown.height(); ++y) {
    ASSERT_EQ(0, std::memcmp(shown.constScanLine(y), expected.Bytes() + y * expected.Width() * 4,
                             expected.Width() * 4))
        << "row " << y;
  }
}

TEST_F(PrestViewTest, DoubleDensityShowsEachFontPixelAsASharpBlock) {
  TPrestView view;
  view.SetHeaderText(
      "\x03"
      "123 \x01"
      "Sharp");
  QImage shown(view.width() * 2, view.height() * 2, QImage::Format_RGBA8888);
  shown.setDevicePixelRatio(2);
  view.render(&shown);
  const TRgbaImage& picture = view.Picture();
  for (int y = 0; y < shown.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(shown.constScanLine(y));
    for (int x = 0; x < shown.width(); ++x) {
      const TRgb pixel = picture.At(x / 2, y / 2);
      ASSERT_EQ(row[x], TRgbaImage::Pack(pixel)) << x << "," << y;
    }
  }
}

TEST_F(PrestViewTest, FastextClickReportsPromptAndLink) {
  TPrestView view;
  view.SetRows(1);
  view.SetFastextMode(true);
  view.SetLinksEnabled(true);
  ASSERT_TRUE(
      view.SetFastextFromControl("\"Index\" \"Sport\" \"Weer\" \"TV_gids\"", "100 200 300 400"));
  const TPrestPage before = view.Page();
  EXPECT_EQ(before.Cell(1, 0), 0x01);
  // A prompt with a space splits into five pieces: nothing changes.
  EXPECT_FALSE(
      view.SetFastextFromControl("\"Index\" \"Sport\" \"Weer en\" \"TV\"", "101 201 301 401"));
  EXPECT_EQ(view.Page().Cells, before.Cells);
  EXPECT_EQ(view.FastextLinks()[2], "300");

  QSignalSpy prompts(&view, &TPrestView::OnFastextClick);
  QSignalSpy links(&view, &TPrestView::OnFastextLink);
  QTest::mouseClick(&view, Qt::LeftButton, {}, CellPoint(1, 25));
  ASSERT_EQ(prompts.count(), 1);
  EXPECT_EQ(prompts[0][1].toInt(), 2);
  ASSERT_EQ(links.count(), 1);
  EXPECT_EQ(links[0][1].toString(), "300");

  // The hand over a prompt's letters, the default cursor over the padding behind it.
  struct Case {
    int column;
    Qt::CursorShape shape;
  };
  for (const Case& c :
       {Case{2, Qt::PointingHandCursor}, Case{38, Qt::ArrowCursor}, Case{0, Qt::ArrowCursor}}) {
    SCOPED_TRACE(c.column);
    QMouseEvent move(QEvent::MouseMove, CellPoint(1, c.column),
                     view.mapToGlobal(CellPoint(1, c.column)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    EXPECT_EQ(view.cursor().shape(), c.shape);
  }
}

TEST_F(PrestViewTest, PageClickReportsCellAndPageNumber) {
  TPrestPage page = TPrestPage::Blank();
  const std::string number = "123";
  std::copy(number.begin(), number.end(), page.Cells.begin() + 5 * kPageColumns + 10);
  TPrestView view;
  view.SetPage(page);
  QSignalSpy clicks(&view, &TPrestView::OnPageClick);
  QTest::mouseClick(&view, Qt::LeftButton, {}, CellPoint(5, 11));
  QTest::mouseClick(&view, Qt::RightButton, {}, CellPoint(5, 11));
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_EQ(clicks[0][2].toPoint(), QPoint(6 + 11 * 12, 6 + 4 * 16));
  EXPECT_EQ(clicks[0][3].toInt(), 5);
  EXPECT_EQ(clicks[0][4].toInt(), 11);
  EXPECT_EQ(clicks[0][5].toString(), "123");
  EXPECT_EQ(clicks[1][2].toPoint(), QPoint(6, 6 - 16));
  EXPECT_EQ(clicks[1][3].toInt(), 0);
  EXPECT_EQ(clicks[1][5].toString(), "");

  view.SetHeaderText(
      "\x03"
      "123");
  EXPECT_EQ(view.Page().Cell(1, 0), 0x03);
  EXPECT_EQ(view.Page().Cell(5, 10), 0x20);
}

// The editor's page area, read through the accessibility interface as a screen reader reads
// it: its name, and the page's text as it stands after typing.
TEST_F(PrestViewTest, TheEditorsPageAreaTellsScreenReadersItsText) {
  TTxtEd editor(TAVREL_BINARY_DIR);
  editor.SetPage(TPrestPage::Blank(), TTextBlock{4, 6, 39, 22});
  editor.show();
  editor.Canvas()->setFocus();
  QTest::keyClicks(editor.Canvas(), "Storm warning");
  QAccessibleInterface* area = QAccessible::queryAccessibleInterface(editor.Canvas());
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->text(QAccessible::Name), "Teletext page");
  const QStringList rows = area->text(QAccessible::Description).split('\n');
  ASSERT_EQ(rows.size(), 23);  // page rows 1 to 23
  EXPECT_EQ(rows[0], "Storm warning");
}

}  // namespace
}  // namespace tavrel::gui
