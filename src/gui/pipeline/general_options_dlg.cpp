#include "pipeline/general_options_dlg.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "pipeline/general_options_validation.h"
#include "pipeline/radio_group.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"
#include "support/select_file_frame.h"
#include "support/windows1252_check.h"
#include "transfer/ftp_edit_frame.h"

namespace tavrel::gui {

namespace {

// The items of "XML Source".
constexpr int kSourceFile = 0;
constexpr int kSourceWeb = 1;

// The items of "Send to".
constexpr int kTargetServer = 0;
constexpr int kTargetPageFolder = 1;

constexpr int kScanIntervalMin = 0;
constexpr int kScanIntervalMax = 1000;

}  // namespace

TRIGeneralOptionsDlg::TRIGeneralOptionsDlg(TGeneralOptions options, std::string programDir,
                                           QWidget* parent)
    : TQorButtonDlg(parent), options_(std::move(options)), programDir_(std::move(programDir)) {
  setObjectName("RIGeneralOptionsDlg");
  setWindowTitle("General Options");
  SetShowHelp(false);
  auto* layout = new QVBoxLayout(ClientArea());

  sourceGroup_ = new TRadioGroup("XML Source", ClientArea());
  sourceGroup_->setObjectName("RssSourceRadioGroup");
  QGridLayout* source = sourceGroup_->Grid();
  sourceGroup_->AddItem("File", 0, 0);
  fileFrame_ = new TPSelectFileFrame(sourceGroup_);
  fileFrame_->setObjectName("RssSelectFileFrame");
  fileFrame_->Filter = "xml|*.xml";
  fileFrame_->Edit()->setAccessibleName("Feed file");
  source->addWidget(fileFrame_, 0, 1, 1, 3);
  sourceGroup_->AddItem("Web", 1, 0);
  urlEdit_ = new QLineEdit(sourceGroup_);
  urlEdit_->setObjectName("UrlEdit");
  urlEdit_->setAccessibleName("Feed address");
  source->addWidget(urlEdit_, 1, 1, 1, 3);
  auto* scanLabel = new QLabel("Scan interval", sourceGroup_);
  scanInterval_ = new QSpinBox(sourceGroup_);
  scanInterval_->setObjectName("ScanIntervalSpinner");
  scanInterval_->setRange(kScanIntervalMin, kScanIntervalMax);
  scanInterval_->setAccessibleName("Scan interval");
  scanLabel->setBuddy(scanInterval_);
  source->addWidget(scanLabel, 2, 0);
  source->addWidget(scanInterval_, 2, 1);
  source->addWidget(new QLabel("Seconds", sourceGroup_), 2, 2);
  source->setColumnStretch(3, 1);
  startScan_ = new QCheckBox("Start scan at start program", sourceGroup_);
  startScan_->setObjectName("StartScanCheckBox");
  source->addWidget(startScan_, 3, 0, 1, 4);
  layout->addWidget(sourceGroup_);
  connect(sourceGroup_, &TRadioGroup::ItemClicked, this, [this] { UpdateSource(); });

  // Where the pages go: the server below, or the page folder of an open inserter.
  targetGroup_ = new TRadioGroup("Send to", ClientArea());
  targetGroup_->setObjectName("TargetRadioGroup");
  QGridLayout* target = targetGroup_->Grid();
  targetGroup_->AddItem("Varnex server (FTP)", 0, 0)->setObjectName("TargetServerRadioButton");
  targetGroup_->AddItem("Page folder of an open inserter", 1, 0)
      ->setObjectName("TargetFolderRadioButton");
  targetFolderEdit_ = new QLineEdit(targetGroup_);
  targetFolderEdit_->setObjectName("TargetFolderEdit");
  targetFolderEdit_->setAccessibleName("Page folder");
  target->addWidget(targetFolderEdit_, 2, 0);
  targetFolderBrowse_ = new QToolButton(targetGroup_);
  targetFolderBrowse_->setObjectName("TargetFolderBrowseButton");
  targetFolderBrowse_->setText("...");
  targetFolderBrowse_->setAccessibleName("Choose the page folder");
  target->addWidget(targetFolderBrowse_, 2, 1);
  target->setColumnStretch(0, 1);
  layout->addWidget(targetGroup_);
  connect(targetGroup_, &TRadioGroup::ItemClicked, this, [this] { UpdateTarget(); });
  connect(targetFolderBrowse_, &QToolButton::clicked, this, [this] { BrowseTargetFolder(); });

  // The one transmission server; its Test button looks for the base transfer folder.
  ftpFrame_ = new TPFtpEditFrame(ClientArea());
  ftpFrame_->SetCaption("Varnex");
  ftpFrame_->SetTestFolder(options_.TransferDir);
  layout->addWidget(ftpFrame_);

  auto* teletext = new QGroupBox("Teletext", ClientArea());
  teletext->setObjectName("TeletextGroupBox");
  auto* teletextLayout = new QVBoxLayout(teletext);
  useFastext_ = new QCheckBox("Use Fastext", teletext);
  useFastext_->setObjectName("UseFastextCheckBox");
  teletextLayout->addWidget(useFastext_);
  layout->addWidget(teletext);
  layout->addStretch();

  ShowOptions();
  SetClientSize(420, layout->sizeHint().height() + kButtonPanelHeight);
  // The dialog opens on its first field, the chosen feed source, not on OK: Enter must not
  // close it before the operator has looked at anything.
  const int chosen = sourceGroup_->ItemIndex();
  if (chosen >= 0 && chosen < sourceGroup_->Items().size()) {
    sourceGroup_->Items()[chosen]->setFocus();
  }
}

void TRIGeneralOptionsDlg::ShowOptions() {
  sourceGroup_->SetItemIndex(options_.IsXMLWeb ? kSourceWeb : kSourceFile);
  fileFrame_->SetFileName(FromPath(options_.XMLFilePath));
  urlEdit_->setText(FromWindows1252(options_.XmlUrl));
  scanInterval_->setValue(options_.ScanInterval);
  startScan_->setChecked(options_.StartScanAtProgramStart);
  useFastext_->setChecked(options_.UseFastext);
  ftpFrame_->Load(options_.Server);
  targetGroup_->SetItemIndex(PublishesToFolder(options_) ? kTargetPageFolder : kTargetServer);
  targetFolderEdit_->setText(FromPath(options_.TargetFolder));
  UpdateSource();
  UpdateTarget();
}

TGeneralOptions TRIGeneralOptionsDlg::ReadOptions() const {
  TGeneralOptions options = options_;
  options.IsXMLWeb = sourceGroup_->ItemIndex() == kSourceWeb;
  options.XMLFilePath = ToPath(fileFrame_->FileName());
  options.XmlUrl = ToWindows1252(urlEdit_->text());
  options.ScanInterval = scanInterval_->value();
  options.StartScanAtProgramStart = startScan_->isChecked();
  options.UseFastext = useFastext_->isChecked();
  const bool folder = targetGroup_->ItemIndex() == kTargetPageFolder;
  // An unknown Target in the file stays as it is while the server remains the choice.
  if (folder != PublishesToFolder(options_))
    options.Target = folder ? kTargetFolder : kTargetVarnex;
  options.TargetFolder = ToPath(targetFolderEdit_->text());
  return options;
}

void TRIGeneralOptionsDlg::UpdateSource() {
  const bool web = sourceGroup_->ItemIndex() == kSourceWeb;
  fileFrame_->SetEnabled(!web);
  urlEdit_->setEnabled(web);
}

void TRIGeneralOptionsDlg::UpdateTarget() {
  const bool folder = targetGroup_->ItemIndex() == kTargetPageFolder;
  targetFolderEdit_->setEnabled(folder);
  targetFolderBrowse_->setEnabled(folder);
  ftpFrame_->SetFrameEnabled(!folder);
}

void TRIGeneralOptionsDlg::BrowseTargetFolder() {
  const QString chosen =
      QFileDialog::getExistingDirectory(this, "Page folder", targetFolderEdit_->text());
  if (!chosen.isEmpty()) targetFolderEdit_->setText(chosen);
}

void TRIGeneralOptionsDlg::accept() {
  // The address is kept as the program's Windows-1252 text: refused rather than stored with "?".
  const TTextFieldsCheck text = CheckWindows1252Fields({{"Web", Utf32Of(urlEdit_->text())}});
  if (!text.Ok) {
    LangMessageDlg(this, FromUtf8(text.Message), TMsgDlgType::Warning);
    urlEdit_->setFocus();
    return;
  }
  TGeneralOptions options = ReadOptions();
  const TGeneralOptionsCheck check = ValidateGeneralOptions(options, programDir_);
  if (!check.Ok) {
    // The file selector's own plain message box, as its existence check shows it.
    LangMessageDlg(this, FromWindows1252(check.Message), TMsgDlgType::Custom);
    if (check.Field == TGeneralOptionsField::TargetFolder) {
      targetFolderEdit_->setFocus();
    } else {
      fileFrame_->Edit()->setFocus();
    }
    return;
  }
  // A disabled frame keeps the server's values as they came in.
  if (!PublishesToFolder(options)) {
    if (!ftpFrame_->Validate()) return;
    ftpFrame_->Save(options.Server);
  }
  options_ = options;
  TQorButtonDlg::accept();
}

}  // namespace tavrel::gui
