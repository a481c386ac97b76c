// The settings as a copyable record and the key table that reads and writes it.

#include "pipeline/settings_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pipeline/settings_file.h"
#include "pipeline/settings_store.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Golden(const std::string& name) {
  return ReadBytes(std::string(TAVREL_TEST_DATA_DIR) + "/pipeline/" + name);
}

std::string TextOf(const TSettingsValues& values) {
  TSettingsFile file;
  WriteSettingsValues(values, file);
  return file.ToText();
}

TEST(SettingsValues, DefaultsWriteTheFirstStartFileWithoutTouchingTheDisk) {
  EXPECT_EQ(TextOf(TSettingsValues{}), Golden("default_settings.ini"));
  EXPECT_EQ(TextOf(ReadSettingsValues(TSettingsFile{})), Golden("default_settings.ini"));
}

TEST(SettingsValues, EveryFieldIsWrittenUnderItsOwnKeyAndReadBack) {
  // Every field set by name to a value of its own, against the file spelled out by hand: a key
  // mapped to the wrong field shows here, even where reading and writing agree with each other.
  TSettingsValues values;
  values.IsXMLWeb = true;
  values.XMLFilePath = "feeds/news.xml";
  values.XmlUrl = "http://127.0.0.1/feed";
  values.Server.ServerName = "Studio";
  values.Server.FTPHost = "10.0.0.1";
  values.Server.FTPUser = "tt1";
  values.Server.FTPPassword = "pw";
  values.Server.FTPPort = 2121;
  values.Server.FTPPassive = true;
  values.Server.FTPUseTLS = true;
  values.Server.FTPCAFile = "certs/ca.pem";
  values.TransferDir = "Other\\";
  values.DefaultCharSet = 12;
  values.UseFastext = false;
  values.ScanInterval = 30;
  values.StartScanAtProgramStart = true;
  values.FormatCorrection = -2;
  values.Target = "Folder";
  values.TargetFolder = "inserter/pages";
  values.XmlSchema = {"rss", "chan", true, false, "item", "head", "cat", "body", true};
  values.Categories = {TRssTxtPageProperty{}};
  values.Categories[0].Category = "Sport";
  const std::string expected =
      "[Settings]\r\nIsXMLWeb=1\r\nXMLFilePath=feeds/news.xml\r\n"
      "XmlUrl=http://127.0.0.1/feed\r\nServerName=Studio\r\nFTPHost=10.0.0.1\r\nFTPUser=tt1\r\n"
      "FTPPassword=pw\r\nFTPPort=2121\r\nFTPPassive=1\r\nTransferDir=Other\\\r\n"
      "DefaultCharSet=12\r\nUseFastext=0\r\nScanInterval=30\r\nStartScanAtProgramStart=1\r\n"
      "FormatCorrection=-2\r\nMessageElement=item\r\nTitleElement=head\r\nCategoryElement=cat\r\n"
      "TextElement=body\r\nRootElement=rss\r\nChannelElement=chan\r\nUseChannelElement=1\r\n"
      "UseCategoryElement=0\r\nHtmlTexts=1\r\nFTPUseTLS=1\r\nFTPCAFile=certs/ca.pem\r\n"
      "Target=Folder\r\nTargetFolder=inserter/pages\r\n\r\n[XMLItem001]\r\nCategory=Sport\r\n";
  const std::string text = TextOf(values);
  EXPECT_EQ(text.substr(0, expected.size()), expected);

  TSettingsFile file;
  file.LoadText(text);
  const TSettingsValues again = ReadSettingsValues(file);
  EXPECT_EQ(TextOf(again), text);
  EXPECT_EQ(again.Categories, values.Categories);
}

TEST(TRIGlobals, ValuesGoOutAndComeBackAsOneCopy) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  const std::string onDisk = "[Settings]\nScanInterval=15\n[XMLItem001]\nCategory=Sport\n";
  WriteBytes(ini, onDisk);
  TRIGlobals settings(folder.Path());

  // A dialog edits a copy; the store sees nothing of it until the copy is handed back.
  TSettingsValues copy = settings.Values();
  copy.ScanInterval = 20;
  copy.XmlSchema.RootElement = "rss";
  copy.Categories.push_back({});
  EXPECT_EQ(settings.ScanInterval, 15);
  settings.SetValues(copy);
  EXPECT_EQ(TextOf(settings.Values()), TextOf(copy));
  EXPECT_EQ(settings.ProgramDir, folder.Path()) << "the folders are not values";
  EXPECT_EQ(ReadBytes(ini), onDisk) << "nothing reaches the disk before a save";

  // The General Options dialog hands back its part only: the schema and the table stay.
  TGeneralOptions options = settings.GeneralOptions();
  options.Server.FTPPort = 2121;
  settings.SetGeneralOptions(options);
  EXPECT_EQ(settings.Server.FTPPort, 2121);
  EXPECT_EQ(settings.XmlSchema.RootElement, "rss");
  EXPECT_EQ(settings.Categories.size(), 2u);
}

}  // namespace
}  // namespace tavrel
