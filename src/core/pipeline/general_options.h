#pragma once

#include <cstdint>
#include <string>

#include "transfer/media_server.h"

namespace tavrel {

// The general options of the system, the values of the settings file's "Settings" section that
// are not feed element names. A plain record copied by value: the General Options dialog takes
// a copy and hands it back on OK, so it never works on the program-wide store directly. The
// member defaults are the ones the settings file falls back to for a missing or unreadable key,
// and the ones a first start writes; they are written down here and nowhere else.
struct TGeneralOptions {
  // Feed source: the local file XMLFilePath, or the web address XmlUrl when IsXMLWeb is set.
  // XMLFilePath is a path, held as the file system's UTF-8 bytes (not Windows-1252 text).
  bool IsXMLWeb = false;
  std::string XMLFilePath;
  std::string XmlUrl;

  // The transmission server's FTP account; only some of its fields are kept in the file.
  TMediaServer Server;
  // Remote folder prefix on the (Windows) transmission server; keeps its backslashes.
  std::string TransferDir = "Varnex\\Transfer\\";

  // Teletext options.
  std::int32_t DefaultCharSet = 8;
  bool UseFastext = true;
  std::int32_t ScanInterval = 10;
  bool StartScanAtProgramStart = false;
  std::int32_t FormatCorrection = 8;

  // Where the pages go: kTargetVarnex (the transmission server above) or kTargetFolder (the
  // page folder of an open inserter, TargetFolder, a path found from the home when relative).
  std::string Target = "Varnex";
  std::string TargetFolder;
};

// The values of Target. The file's spelling is taken in any case.
inline constexpr const char* kTargetVarnex = "Varnex";
inline constexpr const char* kTargetFolder = "Folder";

// Whether the options send the pages to a page folder rather than to the server. Any value of
// Target other than "Folder" (in any case) keeps the server, as before the key existed.
bool PublishesToFolder(const TGeneralOptions& options);

}  // namespace tavrel
