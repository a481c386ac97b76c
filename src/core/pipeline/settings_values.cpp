#include "pipeline/settings_values.h"

#include "pipeline/settings_file.h"

namespace tavrel {

namespace {

// The record inside the values that a field pointer of kSettingKeys belongs to. Values may be
// const or not; the answer follows.
template <typename Values, typename Value>
Values& RecordOf(Values& values, Value TGeneralOptions::*) {
  return values;
}
template <typename Values, typename Value>
auto& RecordOf(Values& values, Value TMediaServer::*) {
  return values.Server;
}
template <typename Values, typename Value>
auto& RecordOf(Values& values, Value TXMLSchema::*) {
  return values.XmlSchema;
}

// The file's reading and writing of each kind of field.
void ReadField(const TSettingsFile& file, const TSettingKey& key, const std::string& fallback,
               std::string& field) {
  field = key.IsPath ? file.ReadPath(kSettingsSection, key.Key, fallback)
                     : file.ReadString(kSettingsSection, key.Key, fallback);
}
void ReadField(const TSettingsFile& file, const TSettingKey& key, std::int32_t fallback,
               std::int32_t& field) {
  field = file.ReadInteger(kSettingsSection, key.Key, fallback);
}
void ReadField(const TSettingsFile& file, const TSettingKey& key, bool fallback, bool& field) {
  field = file.ReadBool(kSettingsSection, key.Key, fallback);
}
void WriteField(TSettingsFile& file, const TSettingKey& key, const std::string& value) {
  if (key.IsPath) {
    file.WritePath(kSettingsSection, key.Key, value);
  } else {
    file.WriteString(kSettingsSection, key.Key, value);
  }
}
void WriteField(TSettingsFile& file, const TSettingKey& key, std::int32_t value) {
  file.WriteInteger(kSettingsSection, key.Key, value);
}
void WriteField(TSettingsFile& file, const TSettingKey& key, bool value) {
  file.WriteBool(kSettingsSection, key.Key, value);
}

}  // namespace

TSettingsValues ReadSettingsValues(const TSettingsFile& file) {
  TSettingsValues values;
  ReadSettingsValuesInto(file, values);
  return values;
}

void ReadSettingsValuesInto(const TSettingsFile& file, TSettingsValues& values) {
  const TSettingsValues defaults;
  for (const TSettingKey& key : kSettingKeys) {
    std::visit(
        [&](auto member) {
          ReadField(file, key, RecordOf(defaults, member).*member,
                    RecordOf(values, member).*member);
        },
        key.Field);
  }
  values.Categories = LoadCategoryTable(file);
}

void WriteSettingsValues(const TSettingsValues& values, TSettingsFile& file) {
  for (const TSettingKey& key : kSettingKeys) {
    std::visit([&](auto member) { WriteField(file, key, RecordOf(values, member).*member); },
               key.Field);
  }
  SaveCategoryTable(values.Categories, file);
}

}  // namespace tavrel
