// The configuration dialogs through their object names: what they show, what OK does with the
// copies they were handed, and the settings file after the window takes the copies back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_answer.h"
#include "pipeline/category_table.h"
#include "pipeline/error_list_dlg.h"
#include "pipeline/general_options_dlg.h"
#include "pipeline/page_list_edit_dlg.h"
#include "pipeline/page_list_options_dlg.h"
#include "pipeline/settings_store.h"
#include "pipeline/xml_schema_dlg.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/select_file_frame.h"
#include "support/windows1252.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;
using testing::TMessageBoxes;

// Runs `answer` on the next modal dialog of that object name once it is up.
void AnswerDialog(const char* objectName, std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, objectName, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != objectName || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start(5);
}

template <typename T>
T* Find(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void SetText(const QWidget& dialog, const char* name, const char* text) {
  Find<QLineEdit>(dialog, name)->setText(text);
}

void Click(const QWidget& dialog, const char* name) {
  auto* button = Find<QAbstractButton>(dialog, name);
  // A check box or radio button reacts on its indicator and text only, and a layout may make
  // it wider than those: click the indicator.
  const bool indicator = qobject_cast<QPushButton*>(button) == nullptr;
  QTest::mouseClick(button, Qt::LeftButton, {},
                    indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

// The settings file is written with CRLF line ends.
std::string CrLf(std::string_view text) {
  std::string lines;
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines;
}

class ConfigurationDialogs : public ::testing::Test {
 protected:
  void SetUp() override { SetLanguage(UiLanguage::English, UiLanguage::English); }
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }
};

TMediaServer Server(const char* host) {
  TMediaServer server;
  server.ServerName = "Varnex";
  server.FTPHost = host;
  server.FTPUser = "newsdesk";
  server.FTPPassword = "secret";
  server.FTPPort = 2121;
  server.Reserved3 = "kept";  // not shown: must come back as it went in
  return server;
}

TEST_F(ConfigurationDialogs, GeneralOptionsChecksTheFeedFileThenTheFtpFrame) {
  TempFolder home;
  WriteBytes(home / "news.xml", "<rss/>");
  struct Case {
    const char* Name;
    const char* Source;  // the "XML Source" item clicked
    const char* FilePath;
    const char* Host;
    std::vector<std::string> Messages;
    const char* FocusedEdit;  // null: the file selector's edit
  };
  const std::vector<Case> cases = {
      {"web, no feed file", "RssSourceRadioGroupWeb", "", "ftp.example", {}, nullptr},
      {"file, missing: the FTP frame is not asked",
       "RssSourceRadioGroupFile",
       "gone.xml",
       "",
       {"File not found."},
       nullptr},
      {"file, found from the home folder",
       "RssSourceRadioGroupFile",
       "news.xml",
       "ftp.example",
       {},
       nullptr},
      {"web, FTP host empty",
       "RssSourceRadioGroupWeb",
       "",
       " ",
       {"FTP Host niet ingevuld."},
       "HostEdit"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TGeneralOptions options;
    options.XMLFilePath = "old.xml";
    options.ScanInterval = 30;
    options.FormatCorrection = 5;  // not shown: must come back as it went in
    options.Server = Server(row.Host);
    TRIGeneralOptionsDlg dialog(options, home.Path());
    dialog.show();
    EXPECT_FALSE(Find<QLineEdit>(dialog, "UrlEdit")->isEnabled()) << "File chosen at first";
    EXPECT_EQ(Find<QSpinBox>(dialog, "ScanIntervalSpinner")->value(), 30);
    EXPECT_TRUE(Find<QCheckBox>(dialog, "UseFastextCheckBox")->isChecked());
    EXPECT_FALSE(Find<QPushButton>(dialog, "HelpButton")->isVisible());
    EXPECT_EQ(Find<QGroupBox>(dialog, "FtpGroup")->title(), "Varnex");
    EXPECT_EQ(Find<QLineEdit>(dialog, "UserIdEdit")->text(), "newsdesk");
    Click(dialog, row.Source);
    const bool web = std::string(row.Source).ends_with("Web");
    EXPECT_EQ(Find<QLineEdit>(dialog, "UrlEdit")->isEnabled(), web);
    EXPECT_EQ(Find<TPSelectFileFrame>(dialog, "RssSelectFileFrame")->isEnabled(), !web);
    Find<TPSelectFileFrame>(dialog, "RssSelectFileFrame")->SetFileName(row.FilePath);
    SetText(dialog, "UrlEdit", "http://feeds.example/news.xml");
    SetText(dialog, "PortEdit", "2100 ");
    Find<QSpinBox>(dialog, "ScanIntervalSpinner")->setValue(45);
    Click(dialog, "StartScanCheckBox");
    {
      TMessageBoxes boxes;
      Click(dialog, "OKButton");
      EXPECT_EQ(boxes.Texts, row.Messages);
    }
    EXPECT_EQ(dialog.isVisible(), !row.Messages.empty());
    if (!row.Messages.empty()) {
      QWidget* focused = row.FocusedEdit
                             ? Find<QLineEdit>(dialog, row.FocusedEdit)
                             : Find<TPSelectFileFrame>(dialog, "RssSelectFileFrame")->Edit();
      EXPECT_EQ(dialog.focusWidget(), focused);
      EXPECT_EQ(dialog.Options().ScanInterval, 30) << "nothing handed back before OK passes";
      continue;
    }
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Options().IsXMLWeb, web);
    EXPECT_EQ(dialog.Options().XMLFilePath, row.FilePath);
    EXPECT_EQ(dialog.Options().XmlUrl, "http://feeds.example/news.xml");
    EXPECT_EQ(dialog.Options().ScanInterval, 45);
    EXPECT_TRUE(dialog.Options().StartScanAtProgramStart);
    EXPECT_EQ(dialog.Options().FormatCorrection, 5);
    EXPECT_EQ(dialog.Options().Server.FTPPort, 2100) << "trimmed by the frame's check";
    EXPECT_EQ(dialog.Options().Server.FTPHost, row.Host);
    EXPECT_EQ(dialog.Options().Server.Reserved3, "kept");
  }
}

// "Send to": the page folder disables the FTP frame, which keeps its values and is not checked;
// the folder is checked by the core's rule; back to the server, the frame is checked again.
TEST_F(ConfigurationDialogs, GeneralOptionsSendsToAPageFolderWithTheFtpFrameSetAside) {
  TempFolder home;
  WriteBytes(home / "news.xml", "<rss/>");
  std::filesystem::create_directory(home / "pages");
  struct Case {
    const char* Name;
    const char* StartTarget;
    const char* Clicked;  // the "Send to" item clicked
    const char* Folder;
    const char* Host;
    const char* MessagePart;  // null: accepted
    const char* FocusedEdit;
  };
  const std::vector<Case> cases = {
      {"folder missing", "Varnex", "TargetFolderRadioButton", "missing", " ",
       "the page folder cannot be reached", "TargetFolderEdit"},
      {"folder there, the empty host is not asked", "Varnex", "TargetFolderRadioButton", "pages",
       " ", nullptr, nullptr},
      {"back to the server: its frame is checked", "Folder", "TargetServerRadioButton", "pages",
       " ", "FTP Host niet ingevuld.", "HostEdit"},
      {"back to the server, the folder kept", "Folder", "TargetServerRadioButton", "pages",
       "ftp.example", nullptr, nullptr},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TGeneralOptions options;
    options.XMLFilePath = "news.xml";
    options.Target = row.StartTarget;
    options.Server = Server(row.Host);
    TRIGeneralOptionsDlg dialog(options, home.Path());
    dialog.show();
    const bool startsOnFolder = std::string(row.StartTarget) == "Folder";
    EXPECT_EQ(Find<QRadioButton>(dialog, "TargetFolderRadioButton")->isChecked(), startsOnFolder);
    EXPECT_EQ(Find<QGroupBox>(dialog, "FtpGroup")->isEnabled(), !startsOnFolder);
    Click(dialog, row.Clicked);
    const bool folder = std::string(row.Clicked) == "TargetFolderRadioButton";
    EXPECT_EQ(Find<QGroupBox>(dialog, "FtpGroup")->isEnabled(), !folder);
    EXPECT_EQ(Find<QLineEdit>(dialog, "TargetFolderEdit")->isEnabled(), folder);
    EXPECT_EQ(Find<QLineEdit>(dialog, "HostEdit")->text(), row.Host) << "the frame keeps it";
    SetText(dialog, "TargetFolderEdit", row.Folder);
    {
      TMessageBoxes boxes;
      Click(dialog, "OKButton");
      if (row.MessagePart == nullptr) {
        EXPECT_TRUE(boxes.Texts.empty());
      } else {
        ASSERT_EQ(boxes.Texts.size(), 1u);
        EXPECT_NE(boxes.Texts.front().find(row.MessagePart), std::string::npos)
            << boxes.Texts.front();
      }
    }
    if (row.MessagePart != nullptr) {
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, row.FocusedEdit));
      continue;
    }
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Options().Target, folder ? "Folder" : "Varnex");
    EXPECT_EQ(dialog.Options().TargetFolder, row.Folder);
    EXPECT_EQ(dialog.Options().Server.FTPHost, row.Host);
  }
}

TRssTxtPageProperty Entry(const char* name, int index, int first) {
  TRssTxtPageProperty entry;
  entry.Category = name;
  entry.IndexNumber = index;
  entry.FirstNumber = first;
  return entry;
}

TEST_F(ConfigurationDialogs, CategoryPropertiesChecksWithTheCoreAndKeepsTheDialogOpenOnAFailure) {
  const TRssTxtPageProperties table = {Entry("Sport", 200, 201), Entry("News", 100, 101)};
  struct Case {
    const char* Name;
    std::optional<std::size_t> EditIndex;
    const char* Category;  // null: as shown
    const char* IndexNumber;
    const char* FirstNumber;
    const char* Link2;
    std::vector<std::string> Warnings;
    const char* FocusedEdit;  // after a warning
  };
  const std::vector<Case> cases = {
      {"sport when Sport exists",
       std::nullopt,
       "sport",
       "300",
       "301",
       nullptr,
       {"Category already exist."},
       "CategoryLabeledEdit"},
      {"Sport kept as it is", 0, nullptr, nullptr, nullptr, nullptr, {}, nullptr},
      {"first number 898",
       std::nullopt,
       "Music",
       "300",
       "898",
       nullptr,
       {"Pagenumber must be from 100 .. 897."},
       "FirstNumberLabeledEdit"},
      {"first number 99",
       std::nullopt,
       "Music",
       "300",
       "99",
       nullptr,
       {"Pagenumber must be from 100 .. 897."},
       "FirstNumberLabeledEdit"},
      {"first number taken",
       1,
       nullptr,
       nullptr,
       "201",
       nullptr,
       {"Pagenumber already exist."},
       "FirstNumberLabeledEdit"},
      {"index number of another category",
       std::nullopt,
       "Music",
       "200",
       "301",
       nullptr,
       {},
       nullptr},
      {"link number abc", std::nullopt, "Music", "300", "301", "abc", {}, nullptr},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TRIPageListEditDlg dialog(table, row.EditIndex, {"", "/home/Templates/", true});
    dialog.show();
    if (row.Category) SetText(dialog, "CategoryLabeledEdit", row.Category);
    if (row.IndexNumber) SetText(dialog, "IndexPageNumberLabeledEdit", row.IndexNumber);
    if (row.FirstNumber) SetText(dialog, "FirstNumberLabeledEdit", row.FirstNumber);
    if (row.Link2) SetText(dialog, "LinkNr2LabeledEdit", row.Link2);
    TMessageBoxes boxes;
    Click(dialog, "OKButton");
    EXPECT_EQ(boxes.Texts, row.Warnings);
    for (const std::string& caption : boxes.Captions) EXPECT_EQ(caption, "Warning");
    EXPECT_EQ(dialog.isVisible(), !row.Warnings.empty());
    if (!row.Warnings.empty()) {
      EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, row.FocusedEdit));
      continue;
    }
    if (row.EditIndex) {
      EXPECT_EQ(dialog.Entry(), table[*row.EditIndex]);
    } else {
      EXPECT_EQ(dialog.Entry().Category, row.Category);
      EXPECT_EQ(dialog.Entry().FastextLinkNr2, row.Link2 ? 100 : 898);
    }
  }
}

// An empty value is refused with its field named, the dialog stays open with the focus in that
// field, and nothing is handed back: the index page number of a category (stored as 0 before)
// and an element name of the XML schema (every preview then ended in `Root element "" not
// found.`).
TEST_F(ConfigurationDialogs, EmptyIndexNumberAndElementNamesAreRefusedNamingTheField) {
  struct Case {
    const char* Name;
    const char* IndexNumber;
    std::vector<std::string> Warnings;
  };
  const std::vector<Case> categoryCases = {
      {"empty index number", "", {"Index page Number not filled in."}},
      {"blank index number", "  ", {"Index page Number not filled in."}},
      {"index number that is no number", "1O0", {"Index page Number \"1O0\" is not a number."}},
      {"index number given", "300", {}},
  };
  for (const Case& c : categoryCases) {
    SCOPED_TRACE(c.Name);
    TRIPageListEditDlg dialog({Entry("Sport", 200, 201)}, std::nullopt, {"", "", true});
    dialog.show();
    SetText(dialog, "CategoryLabeledEdit", "Music");
    SetText(dialog, "IndexPageNumberLabeledEdit", c.IndexNumber);
    SetText(dialog, "FirstNumberLabeledEdit", "301");
    TMessageBoxes boxes;
    Click(dialog, "OKButton");
    EXPECT_EQ(boxes.Texts, c.Warnings);
    EXPECT_EQ(dialog.isVisible(), !c.Warnings.empty());
    if (!c.Warnings.empty()) {
      EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "IndexPageNumberLabeledEdit"));
      EXPECT_EQ(dialog.Entry().Category, "");
    } else {
      EXPECT_EQ(dialog.Entry().IndexNumber, 300);
    }
  }

  struct SchemaCase {
    const char* Name;
    const char* Edit;
    const char* Text;
    bool UseCategory;
    std::vector<std::string> Warnings;
  };
  const std::vector<SchemaCase> schemaCases = {
      {"empty root", "RootLabeledEdit", "", true, {"Root element not filled in."}},
      {"empty text", "TextLabeledEdit", "", true, {"Text element not filled in."}},
      {"empty category in use",
       "CategoryLabeledEdit",
       "",
       true,
       {"Category element not filled in."}},
      {"empty category not in use", "CategoryLabeledEdit", "", false, {}},
      {"a name with a space",
       "TitleLabeledEdit",
       "news title",
       true,
       {"Title element \"news title\" cannot be an element name: it holds a blank or one of < > "
        "& \" ' =."}},
      {"a name", "RootLabeledEdit", "rss", true, {}},
  };
  for (const SchemaCase& c : schemaCases) {
    SCOPED_TRACE(c.Name);
    TRIXmlSchemaDlg dialog(TXMLSchema{});
    dialog.show();
    SetText(dialog, c.Edit, c.Text);
    if (!c.UseCategory) Click(dialog, "UseCategoryCheckBox");
    TMessageBoxes boxes;
    Click(dialog, "OKButton");
    EXPECT_EQ(boxes.Texts, c.Warnings);
    EXPECT_EQ(dialog.isVisible(), !c.Warnings.empty());
    if (!c.Warnings.empty()) {
      EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, c.Edit));
      EXPECT_EQ(dialog.Schema().RootElement, "root") << "handed back only after the check";
    }
  }
}

// A fastext prompt with a space is refused in the dialog while fastext is in use, with the
// underscore to write instead; the focus goes to that prompt.
TEST_F(ConfigurationDialogs, CategoryPropertiesRefusesAPromptWithASpace) {
  struct Case {
    const char* Name;
    const char* Prompt3;
    bool UseFastext;
    std::vector<std::string> Warnings;
  };
  const std::vector<Case> cases = {
      {"a space",
       "Top News",
       true,
       {"Prompt 3 \"Top News\" holds a space, which ends a prompt in \"Control.dat\". Write "
        "\"Top_News\": an underscore is shown as a space."}},
      {"empty",
       "",
       true,
       {"Prompt 3 is empty; \"Control.dat\" needs a prompt for every fastext key. Write \"_\" "
        "for a key that shows nothing."}},
      {"an underscore", "Top_News", true, {}},
      {"a space while fastext is off", "Top News", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRIPageListEditDlg dialog({}, std::nullopt, {"", "", c.UseFastext});
    dialog.show();
    SetText(dialog, "CategoryLabeledEdit", "Music");
    SetText(dialog, "IndexPageNumberLabeledEdit", "300");
    SetText(dialog, "FirstNumberLabeledEdit", "301");
    SetText(dialog, "Prompt3LabelEdit", c.Prompt3);
    TMessageBoxes boxes;
    Click(dialog, "OKButton");
    EXPECT_EQ(boxes.Texts, c.Warnings);
    EXPECT_EQ(dialog.isVisible(), !c.Warnings.empty());
    if (!c.Warnings.empty()) {
      EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "Prompt3LabelEdit"));
    } else {
      EXPECT_EQ(dialog.Entry().FastextPrompt3, c.Prompt3);
    }
  }
}

TEST_F(ConfigurationDialogs, CategoryPropertiesShowsANewEntryAndAnEditedOne) {
  TRssTxtPageProperties table = {Entry("Sport", 200, 201)};
  table[0].ShowTitle = false;
  table[0].IndexNumberColor = 6;
  table[0].IndexTemplateFileName = "Templates/sport_index.tpg";

  TRIPageListEditDlg fresh(table, std::nullopt, {"", "/home/Templates/", false});
  fresh.show();
  EXPECT_EQ(fresh.windowTitle(), "New Category");
  EXPECT_TRUE(Find<QRadioButton>(fresh, "IndexNumberColorRadioGroupYellow")->isChecked());
  const char* prompts[] = {"Index", "Test", "Test", "Test"};
  const char* links[] = {"100", "898", "898", "898"};
  for (int i = 0; i < 4; ++i) {
    const std::string n = std::to_string(i + 1);
    EXPECT_EQ(Find<QLineEdit>(fresh, ("Prompt" + n + "LabelEdit").c_str())->text(), prompts[i]);
    EXPECT_EQ(Find<QLineEdit>(fresh, ("LinkNr" + n + "LabeledEdit").c_str())->text(), links[i]);
  }
  EXPECT_EQ(Find<QLineEdit>(fresh, "FirstNumberLabeledEdit")->text(), "");
  EXPECT_FALSE(Find<QCheckBox>(fresh, "ShowTitleCheckBox")->isChecked());
  EXPECT_FALSE(Find<QGroupBox>(fresh, "FastextGroupBox")->isEnabled()) << "UseFastext off";
  const auto* indexFrame = Find<TPSelectFileFrame>(fresh, "IndexTemplateFileFrame");
  EXPECT_EQ(indexFrame->InitialDir, "");
  EXPECT_EQ(indexFrame->Filter, "");
  // Ticking "Show title" enables its two options.
  EXPECT_FALSE(Find<QCheckBox>(fresh, "TitleUppercaseCheckBox")->isEnabled());
  Click(fresh, "ShowTitleCheckBox");
  EXPECT_TRUE(Find<QCheckBox>(fresh, "TitleUppercaseCheckBox")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(fresh, "EmptyRowAfterTitle")->isEnabled());

  TRIPageListEditDlg edit(table, 0, {"", "/home/Templates/", true});
  edit.show();
  EXPECT_EQ(edit.windowTitle(), "Edit Category");
  EXPECT_TRUE(Find<QRadioButton>(edit, "IndexNumberColorRadioGroupCyan")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(edit, "EmptyRowAfterTitle")->isEnabled());
  EXPECT_TRUE(Find<QGroupBox>(edit, "FastextGroupBox")->isEnabled());
  const auto* messageFrame = Find<TPSelectFileFrame>(edit, "MessageTemplateFileFrame");
  EXPECT_EQ(messageFrame->InitialDir, "/home/Templates/");
  EXPECT_EQ(messageFrame->Filter, "Templates (tpg)|*.tpg");
  EXPECT_EQ(Find<TPSelectFileFrame>(edit, "IndexTemplateFileFrame")->Edit()->text(),
            "Templates/sport_index.tpg");
  Click(edit, "IndexNumberColorRadioGroupBlack");
  Click(edit, "OKButton");
  EXPECT_EQ(edit.Entry().IndexNumberColor, 8);
}

std::vector<std::string> GridRow(const QTableWidget& grid, int row) {
  std::vector<std::string> cells;
  for (int c = 0; c < grid.columnCount(); ++c) {
    const QTableWidgetItem* item = grid.item(row, c);
    cells.push_back(item != nullptr ? item->text().toStdString() : "");
  }
  return cells;
}

TEST_F(ConfigurationDialogs, CategoriesGridNewEditAndDeleteDownToAnEmptyRow) {
  TempFolder home;
  WriteBytes(home / "index.tpg", "[PAGE]\r\ncharset=8\r\n");
  TRssTxtPageProperties table = {Entry("Sport", 200, 201)};
  table[0].IndexTemplateFileName = "index.tpg";
  TRIPageListOptionsDlg dialog(table, {home.Path(), home.Path(), true});
  dialog.show();
  auto* grid = Find<QTableWidget>(dialog, "PageNumberStringGrid");
  EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), "Max pages");
  EXPECT_EQ(GridRow(*grid, 0), (std::vector<std::string>{"Sport", "200", "201", "17"}));

  // New: the entry is appended and its row selected; Cancel on an edit changes nothing.
  AnswerDialog("RIPageListEditDlg", [](QWidget* edit) {
    SetText(*edit, "CategoryLabeledEdit", "News");
    SetText(*edit, "IndexPageNumberLabeledEdit", "100");
    SetText(*edit, "FirstNumberLabeledEdit", "101");
    Click(*edit, "OKButton");
  });
  Click(dialog, "NewButton");
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(GridRow(*grid, 1), (std::vector<std::string>{"News", "100", "101", "0"}));
  EXPECT_EQ(grid->selectedItems().front()->row(), 1);
  AnswerDialog("RIPageListEditDlg", [](QWidget* edit) {
    EXPECT_EQ(edit->windowTitle(), "Edit Category");
    SetText(*edit, "CategoryLabeledEdit", "Changed");
    Click(*edit, "CancelButton");
  });
  Click(dialog, "EditButton");
  EXPECT_EQ(dialog.Categories()[1].Category, "News");

  // Delete asks first; No keeps the entry.
  grid->selectRow(0);
  {
    TMessageBoxes no(TMsgDlgBtn::No);
    Click(dialog, "DeleteButton");
    EXPECT_EQ(no.Texts, std::vector<std::string>{"Delete category \"Sport\" ?"});
  }
  EXPECT_EQ(dialog.Categories().size(), 2u);
  for (int remaining : {1, 0}) {
    TMessageBoxes yes(TMsgDlgBtn::Yes);
    Click(dialog, "DeleteButton");
    EXPECT_EQ(dialog.Categories().size(), static_cast<std::size_t>(remaining));
  }
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(GridRow(*grid, 0), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_FALSE(Find<QPushButton>(dialog, "EditButton")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(dialog, "DeleteButton")->isEnabled());
  // A double click on the empty row opens nothing.
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                     grid->visualItemRect(grid->item(0, 0)).center());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// What an operator meets with the keyboard and with long names: Enter on a category row edits
// it (it does not close the dialog with OK); General Options opens on its first field; the XML
// Schema boxes say what they switch; the delete question for a 1,000-character name stays
// within half the screen with its buttons in view.
TEST_F(ConfigurationDialogs, EnterEditsARowFocusStartsAtTheTopAndLongNamesStayOnScreen) {
  TempFolder home;
  const std::string longName(1000, 'n');
  const TRssTxtPageProperties table = {Entry("Sport", 200, 201), Entry(longName.c_str(), 300, 301)};
  TRIPageListOptionsDlg categories(table, {home.Path(), home.Path(), true});
  categories.show();
  auto* grid = Find<QTableWidget>(categories, "PageNumberStringGrid");
  grid->selectRow(0);
  grid->setFocus();
  QString editCaption;
  AnswerDialog("RIPageListEditDlg", [&editCaption](QWidget* edit) {
    editCaption = edit->windowTitle();
    Click(*edit, "CancelButton");
  });
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(editCaption, "Edit Category");
  EXPECT_TRUE(categories.isVisible());
  EXPECT_EQ(categories.result(), QDialog::Rejected);

  grid->selectRow(1);
  QRect box;
  QRect screen;
  std::vector<QRect> buttons;
  AnswerDialog("LangMessageDlg", [&](QWidget* question) {
    box = question->geometry();
    screen = question->screen()->geometry();
    for (auto* button : question->findChildren<QPushButton*>()) {
      buttons.push_back(QRect(question->mapToGlobal(button->pos()), button->size()));
    }
    Click(*question, "No");
  });
  Click(categories, "DeleteButton");
  ASSERT_FALSE(screen.isEmpty());
  EXPECT_LE(box.width(), screen.width() / 2 + 100);
  EXPECT_TRUE(screen.contains(box))
      << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
  ASSERT_EQ(buttons.size(), 2u);
  for (const QRect& button : buttons) EXPECT_TRUE(screen.contains(button));
  EXPECT_EQ(categories.Categories().size(), 2u);

  TRIGeneralOptionsDlg options(TGeneralOptions{}, home.Path());
  options.show();
  ASSERT_NE(options.focusWidget(), nullptr);
  EXPECT_EQ(options.focusWidget()->objectName(), "RssSourceRadioGroupFile");

  TRIXmlSchemaDlg schema(TXMLSchema{});
  EXPECT_EQ(Find<QCheckBox>(schema, "UseChannelCheckBox")->text(), "Use channel");
  EXPECT_EQ(Find<QCheckBox>(schema, "UseCategoryCheckBox")->text(), "Use category");
}

TEST_F(ConfigurationDialogs, XmlSchemaDrawsTheSampleLiveAndErrorListShowsItsLines) {
  TRIXmlSchemaDlg dialog(TXMLSchema{});
  dialog.show();
  EXPECT_EQ(Find<QLabel>(dialog, "RootOpenTagLabel")->text(), "<root>");
  EXPECT_FALSE(Find<QLineEdit>(dialog, "ChannelLabeledEdit")->isEnabled());
  EXPECT_FALSE(Find<QLabel>(dialog, "ChannelCloseTagLabel")->isEnabled());
  SetText(dialog, "MessageLabeledEdit", "item");
  EXPECT_EQ(Find<QLabel>(dialog, "MessageOpenTagLabel")->text(), "<item>");
  EXPECT_EQ(Find<QLabel>(dialog, "MessageCloseTagLabel")->text(), "</item>");
  Click(dialog, "UseChannelCheckBox");
  Click(dialog, "UseCategoryCheckBox");
  EXPECT_FALSE(Find<QCheckBox>(dialog, "HtmlTextsCheckBox")->isChecked());
  Click(dialog, "HtmlTextsCheckBox");
  EXPECT_TRUE(Find<QLabel>(dialog, "ChannelOpenTagLabel")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>(dialog, "CategoryLabeledEdit")->isEnabled());
  EXPECT_FALSE(Find<QLabel>(dialog, "CategoryOpenTagLabel")->isEnabled());
  EXPECT_EQ(dialog.Schema().MessageElement, "message") << "handed back only on OK";
  Click(dialog, "OKButton");
  EXPECT_EQ(dialog.Schema().MessageElement, "item");
  EXPECT_TRUE(dialog.Schema().UseChannelElement);
  EXPECT_FALSE(dialog.Schema().UseCategoryElement);
  EXPECT_TRUE(dialog.Schema().HtmlTexts);

  TPErrorListDlg errors({"Category \"Music\" not found.", "Page 905 out of range."});
  errors.show();
  EXPECT_EQ(errors.windowTitle(), "Errors");
  EXPECT_EQ(Find<QPlainTextEdit>(errors, "ErrorMemo")->toPlainText(),
            "Category \"Music\" not found.\nPage 905 out of range.");
  EXPECT_EQ(Find<QPushButton>(errors, "OKButton")->text(), "Close");
  EXPECT_FALSE(Find<QPushButton>(errors, "CancelButton")->isVisible());
  EXPECT_FALSE(Find<QPushButton>(errors, "HelpButton")->isVisible());
}

// The window's part end to end: each dialog gets its copy from the store, the store takes it
// back after OK and saves; the file then holds exactly these bytes.
TEST_F(ConfigurationDialogs, SettingsFileAfterOkHoldsExactlyTheConfirmedValues) {
  TempFolder home;
  WriteBytes(home / "tavrel.ini",
             "[Settings]\nIsXMLWeb=0\nXMLFilePath=news.xml\n\n"
             "[XMLItem001]\nCategory=Sport\nIndexNumber=200\nFirstNumber=201\n\n"
             "[XMLItem002]\nCategory=News\nIndexNumber=100\nFirstNumber=101\n");
  TRIGlobals globals(home.Path());

  TRIGeneralOptionsDlg options(globals.GeneralOptions(), globals.ProgramDir);
  options.show();
  Click(options, "RssSourceRadioGroupWeb");
  SetText(options, "NameEdit", "Varnex");
  SetText(options, "HostEdit", " ftp.example ");
  SetText(options, "UserIdEdit", "newsdesk");
  SetText(options, "PasswordEdit", "secret");
  SetText(options, "PortEdit", "2121");
  Click(options, "PassiveCheck");
  SetText(options, "UrlEdit", "http://feeds.example/rss");
  Click(options, "OKButton");
  ASSERT_EQ(options.result(), QDialog::Accepted);
  globals.SetGeneralOptions(options.Options());

  TRIPageListOptionsDlg categories(globals.Categories,
                                   {globals.ProgramDir, globals.TemplatesDir, globals.UseFastext});
  categories.show();
  Find<QTableWidget>(categories, "PageNumberStringGrid")->selectRow(0);
  {
    TMessageBoxes yes(TMsgDlgBtn::Yes);
    Click(categories, "DeleteButton");
  }
  AnswerDialog("RIPageListEditDlg", [](QWidget* edit) {
    SetText(*edit, "CategoryLabeledEdit", " Weather ");
    SetText(*edit, "IndexPageNumberLabeledEdit", "400");
    SetText(*edit, "FirstNumberLabeledEdit", "401");
    SetText(*edit, "LinkNr4LabeledEdit", "abc");
    Click(*edit, "IndexNumberColorRadioGroupWhite");
    Click(*edit, "OKButton");
  });
  Click(categories, "NewButton");
  Click(categories, "OKButton");
  ASSERT_EQ(categories.result(), QDialog::Accepted);
  globals.Categories = categories.Categories();

  TRIXmlSchemaDlg schema(globals.XmlSchema);
  schema.show();
  SetText(schema, "RootLabeledEdit", "rss");
  Click(schema, "OKButton");
  globals.XmlSchema = schema.Schema();
  globals.SaveSettings();

  EXPECT_EQ(
      ReadBytes(home / "tavrel.ini"),
      CrLf("[Settings]\nIsXMLWeb=1\nXMLFilePath=news.xml\nXmlUrl=http://feeds.example/rss\n"
           "ServerName=Varnex\nFTPHost=ftp.example\nFTPUser=newsdesk\nFTPPassword=secret\n"
           "FTPPort=2121\nFTPPassive=1\n"
           "TransferDir=Varnex\\Transfer\\\nDefaultCharSet=8\nUseFastext=1\nScanInterval=10\n"
           "StartScanAtProgramStart=0\nFormatCorrection=8\nMessageElement=message\n"
           "TitleElement=title\nCategoryElement=category\nTextElement=text\nRootElement=rss\n"
           "ChannelElement=channel\nUseChannelElement=0\nUseCategoryElement=1\nHtmlTexts="
           "0\nFTPUseTLS=0\nFTPCAFile=\nTarget=Varnex\nTargetFolder=\n\n"
           "[XMLItem001]\nCategory=News\nIndexNumber=100\nFirstNumber=101\nShowTitle=1\n"
           "EmptyRowAfterTitle=1\nTitleUpperCase=1\nIndexNumberColor=3\n"
           "IndexTemplateFileName=\nMessageTemplateFileName=\nFastextPrompt1=Index\n"
           "FastextPrompt2=Test\nFastextPrompt3=Test\nFastextPrompt4=Test\nFastextLinkNr1=100\n"
           "FastextLinkNr2=898\nFastextLinkNr3=898\nFastextLinkNr4=898\n"
           "PreserveIndexCharset=0\nPreserveMessageCharset=0\n\n"
           "[XMLItem002]\nCategory=Weather\nIndexNumber=400\nFirstNumber=401\nShowTitle=0\n"
           "EmptyRowAfterTitle=0\nTitleUpperCase=0\nIndexNumberColor=7\n"
           "IndexTemplateFileName=\nMessageTemplateFileName=\nFastextPrompt1=Index\n"
           "FastextPrompt2=Test\nFastextPrompt3=Test\nFastextPrompt4=Test\nFastextLinkNr1=100\n"
           "FastextLinkNr2=898\nFastextLinkNr3=898\nFastextLinkNr4=100\n"
           "PreserveIndexCharset=0\nPreserveMessageCharset=0\n\n"));
}

// Chooses the file in the open dialog that a selector's "..." button brings up, and tells the
// folder the dialog opened in (as the file system names it).
std::string BrowseTo(const QWidget& dialog, const char* frameName, const std::string& file) {
  std::string openedIn;
  AnswerDialog("OpenDialog", [&openedIn, file](QWidget* modal) {
    auto* open = qobject_cast<QFileDialog*>(modal);
    openedIn = open->directory().absolutePath().toStdString();
    open->selectFile(QString::fromUtf8(file));
    static_cast<QDialog*>(open)->accept();  // QFileDialog hides its accept()
  });
  QTest::mouseClick(
      Find<TPSelectFileFrame>(dialog, frameName)->findChild<QToolButton*>("BrowseButton"),
      Qt::LeftButton);
  return openedIn;
}

void FillServer(const QWidget& dialog) {
  SetText(dialog, "NameEdit", "Varnex");
  SetText(dialog, "HostEdit", "127.0.0.1");
  SetText(dialog, "UserIdEdit", "newsdesk");
  SetText(dialog, "PasswordEdit", "secret");
  SetText(dialog, "PortEdit", "21");
}

// A home, a feed and templates whose names hold å, ä, ö, é and ß: the browsers open where they
// should, OK finds what they chose, and the settings file keeps the names in its own encoding,
// so that the next start finds the feed and both templates.
TEST_F(ConfigurationDialogs, PathsBeyondAsciiGoFromTheBrowsersToTheFileAsTheFileSystemNamesThem) {
  for (const bool utf8 : {true, false}) {
    SCOPED_TRACE(utf8 ? "tavrel.ini in UTF-8" : "tavrel.ini in Windows-1252");
    TempFolder temp;
    const std::string home = temp / "h\xC3\xB6m\xC3\xA9 \xC3\xA5\xC3\xA4\xC3\x9F/";
    const std::string feed = home +
                             "Fl\xC3\xB6"
                             "den/nyhet\xC3\xA9r-\xC3\x9F.xml";
    const std::string indexTemplate = home + "Templates/index-\xC3\xA5.tpg";
    const std::string messageTemplate = home + "Templates/meddelande-\xC3\xA4.tpg";
    std::filesystem::create_directories(home +
                                        "Fl\xC3\xB6"
                                        "den");
    std::filesystem::create_directories(home + "Templates");
    WriteBytes(feed, "<root/>");
    WriteBytes(indexTemplate, "");
    WriteBytes(messageTemplate, "");
    const std::string category = utf8 ? "S\xC3\xBC"
                                        "d"
                                      : "S\xFC"
                                        "d";
    WriteBytes(home + "tavrel.ini",
               "[Settings]\r\nXMLFilePath=old.xml\r\n[XMLItem001]\r\nCategory=" + category +
                   "\r\nFirstNumber=101\r\n");
    TRIGlobals globals(home);

    TRIGeneralOptionsDlg options(globals.GeneralOptions(), globals.ProgramDir);
    options.show();
    FillServer(options);
    BrowseTo(options, "RssSelectFileFrame", feed);
    {
      TMessageBoxes boxes;
      Click(options, "OKButton");
      EXPECT_EQ(boxes.Texts, std::vector<std::string>{}) << "the file its browser chose is found";
    }
    ASSERT_EQ(options.result(), QDialog::Accepted);
    EXPECT_EQ(options.Options().XMLFilePath, feed);
    globals.SetGeneralOptions(options.Options());

    TRIPageListEditDlg edit(globals.Categories, 0,
                            {globals.ProgramDir, globals.TemplatesDir, globals.UseFastext});
    edit.show();
    EXPECT_EQ(BrowseTo(edit, "IndexTemplateFileFrame", indexTemplate) + "/", globals.TemplatesDir)
        << "the browser opens in the home's Templates folder";
    BrowseTo(edit, "MessageTemplateFileFrame", messageTemplate);
    Click(edit, "OKButton");
    ASSERT_EQ(edit.result(), QDialog::Accepted);
    EXPECT_EQ(edit.Entry().IndexTemplateFileName, indexTemplate);
    EXPECT_EQ(edit.Entry().MessageTemplateFileName, messageTemplate);
    globals.Categories[0] = edit.Entry();
    EXPECT_TRUE(globals.SaveSettings().Written);

    const std::string saved = ReadBytes(home + "tavrel.ini");
    const auto inFile = [utf8](const std::string& path) {
      return utf8 ? path : Utf8ToWindows1252(path);
    };
    EXPECT_NE(saved.find("\r\nXMLFilePath=" + inFile(feed) + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nIndexTemplateFileName=" + inFile(indexTemplate) + "\r\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\r\nCategory=" + category + "\r\n"), std::string::npos) << saved;
    TRIGlobals again(home);
    EXPECT_EQ(again.FeedFilePath(), feed);
    EXPECT_TRUE(IsCategoryUsable(again.Categories,
                                 "S\xFC"
                                 "d",
                                 again.ProgramDir))
        << "both templates are found: the category's pages stay on air";
  }
}

// Text a setting keeps in Windows-1252 is refused with the characters the code page lacks
// named, and the dialog stays open on the field; nothing is stored with "?".
TEST_F(ConfigurationDialogs, TextWindows1252LacksIsRefusedWithTheCharactersNamed) {
  const TRssTxtPageProperties table = {Entry("Sport", 200, 201)};
  struct Case {
    const char* Name;
    const char* Edit;
    const char* Text;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {"a Cyrillic category", "CategoryLabeledEdit",
       "\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0",
       "Category \"\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0\" holds characters that "
       "Windows-1252 lacks: \"\xD0\x9F\" (U+041F), \"\xD1\x80\" (U+0440), \"\xD0\xB5\" "
       "(U+0435), \"\xD1\x81\" (U+0441), \"\xD0\xB0\" (U+0430). Teletext pages cannot show "
       "them; please use other characters."},
      {"a prompt with a check mark", "Prompt2LabelEdit", "Top \xE2\x9C\x93",
       "Prompt 2 \"Top \xE2\x9C\x93\" holds characters that Windows-1252 lacks: \"\xE2\x9C\x93\" "
       "(U+2713). Teletext pages cannot show them; please use other characters."},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TRIPageListEditDlg dialog(table, std::nullopt, {"", "/home/Templates/", true});
    dialog.show();
    SetText(dialog, "CategoryLabeledEdit", "Music");
    SetText(dialog, "FirstNumberLabeledEdit", "301");
    Find<QLineEdit>(dialog, row.Edit)->setText(QString::fromUtf8(row.Text));
    TMessageBoxes boxes;
    Click(dialog, "OKButton");
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{row.Message});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, row.Edit));
  }

  TRIGeneralOptionsDlg options(TGeneralOptions{}, "/home/");
  options.show();
  Click(options, "RssSourceRadioGroupWeb");
  FillServer(options);
  SetText(options, "NameEdit", "V\xC3\xA4rnex s\xC3\xA4ndare \xE2\x9C\x93");
  {
    TMessageBoxes boxes;
    Click(options, "OKButton");
    EXPECT_EQ(boxes.Texts,
              std::vector<std::string>{
                  "Name \"V\xC3\xA4rnex s\xC3\xA4ndare \xE2\x9C\x93\" holds characters that "
                  "Windows-1252 lacks: \"\xE2\x9C\x93\" (U+2713). Teletext pages cannot show them; "
                  "please use other characters."});
  }
  EXPECT_TRUE(options.isVisible());
  EXPECT_EQ(options.focusWidget(), Find<QLineEdit>(options, "NameEdit"));
}

}  // namespace
}  // namespace tavrel::gui
