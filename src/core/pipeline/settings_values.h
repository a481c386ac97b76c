#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "pipeline/category_table.h"
#include "pipeline/general_options.h"
#include "pipeline/xml_schema.h"
#include "transfer/media_server.h"

namespace tavrel {

class TSettingsFile;

// Every value the settings file holds, as one record copied by value: the general options, the
// feed's element names and the category table. The program-wide store is one of these plus its
// folders and its file; a dialog, a test or a command can hold a scratch copy that never touches
// the disk.
struct TSettingsValues : TGeneralOptions {
  // The feed's element names.
  TXMLSchema XmlSchema;
  // The category table, kept in the "XMLItem..." sections of the file.
  TRssTxtPageProperties Categories;
};

// The section that holds every key of kSettingKeys.
inline constexpr std::string_view kSettingsSection = "Settings";

// The field behind a key: a member of one of the three records the section's keys live in.
// Its type says how the file spells the value (text, decimal integer, "1"/"0").
using TSettingField =
    std::variant<std::string TGeneralOptions::*, std::int32_t TGeneralOptions::*,
                 bool TGeneralOptions::*, std::string TMediaServer::*, std::int32_t TMediaServer::*,
                 bool TMediaServer::*, std::string TXMLSchema::*, bool TXMLSchema::*>;

// One key of the "Settings" section and the field it holds. The default is the field's value in
// a default-constructed TSettingsValues. A path is kept as the file system's UTF-8 bytes, every
// other text as the program's Windows-1252 text (see TSettingsFile::ReadPath).
struct TSettingKey {
  std::string_view Key;
  TSettingField Field;
  bool IsPath = false;
};

// Maps every key of the "Settings" section to its field, in the order in which the file has
// always listed them: saving writes them in this order, so a first start writes exactly these
// keys in exactly this order.
inline constexpr std::array<TSettingKey, 28> kSettingKeys = {{
    {"IsXMLWeb", &TGeneralOptions::IsXMLWeb},
    {"XMLFilePath", &TGeneralOptions::XMLFilePath, true},
    {"XmlUrl", &TGeneralOptions::XmlUrl},
    {"ServerName", &TMediaServer::ServerName},
    {"FTPHost", &TMediaServer::FTPHost},
    {"FTPUser", &TMediaServer::FTPUser},
    {"FTPPassword", &TMediaServer::FTPPassword},
    {"FTPPort", &TMediaServer::FTPPort},
    {"FTPPassive", &TMediaServer::FTPPassive},
    {"TransferDir", &TGeneralOptions::TransferDir},
    {"DefaultCharSet", &TGeneralOptions::DefaultCharSet},
    {"UseFastext", &TGeneralOptions::UseFastext},
    {"ScanInterval", &TGeneralOptions::ScanInterval},
    {"StartScanAtProgramStart", &TGeneralOptions::StartScanAtProgramStart},
    {"FormatCorrection", &TGeneralOptions::FormatCorrection},
    {"MessageElement", &TXMLSchema::MessageElement},
    {"TitleElement", &TXMLSchema::TitleElement},
    {"CategoryElement", &TXMLSchema::CategoryElement},
    {"TextElement", &TXMLSchema::TextElement},
    {"RootElement", &TXMLSchema::RootElement},
    {"ChannelElement", &TXMLSchema::ChannelElement},
    {"UseChannelElement", &TXMLSchema::UseChannelElement},
    {"UseCategoryElement", &TXMLSchema::UseCategoryElement},
    {"HtmlTexts", &TXMLSchema::HtmlTexts},
    // Added after the others so that a file written before them keeps its order.
    {"FTPUseTLS", &TMediaServer::FTPUseTLS},
    {"FTPCAFile", &TMediaServer::FTPCAFile, true},
    {"Target", &TGeneralOptions::Target},
    {"TargetFolder", &TGeneralOptions::TargetFolder, true},
}};

// Reads every key of kSettingKeys from the file's "Settings" section (its default when missing
// or, for a number or a flag, unreadable), then the category table. Only the in-memory file is
// read.
TSettingsValues ReadSettingsValues(const TSettingsFile& file);

// The same into an existing record: the fields the file does not hold (the server record's
// session-only fields) keep their values.
void ReadSettingsValuesInto(const TSettingsFile& file, TSettingsValues& values);

// Writes every key of kSettingKeys into the file's "Settings" section in table order (existing
// keys keep their place), then replaces the category sections with the table. Only the
// in-memory file changes; saving it is the caller's business.
void WriteSettingsValues(const TSettingsValues& values, TSettingsFile& file);

}  // namespace tavrel
