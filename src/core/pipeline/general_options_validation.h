#pragma once

#include <string>

#include "pipeline/general_options.h"

namespace tavrel {

// The controls of the General Options dialog that a failed check points at.
enum class TGeneralOptionsField { None, FeedFile, TargetFolder };

// What the check of the general options decided: Ok, or the message the dialog shows and the
// control that gets the focus.
struct TGeneralOptionsCheck {
  bool Ok = true;
  std::string Message;
  TGeneralOptionsField Field = TGeneralOptionsField::None;
};

// The dialog's own check on OK: with "File" chosen (IsXMLWeb clear) the feed file must be an
// existing file, else "File not found." for the file selector. A relative XMLFilePath is looked
// up from programDir (the home folder, with its trailing "/"), where the scan will look for it;
// with programDir empty it stands as given. A web feed is not checked here. With the page folder
// as the target (PublishesToFolder), TargetFolder, found the same way, must be set ("Choose the
// page folder of the inserter.") and be a folder this program can write (PageFolderProblem's
// text). The dialog validates its FTP frame (ValidateFtpFrame) only after this check has passed,
// and only with the server as the target.
TGeneralOptionsCheck ValidateGeneralOptions(const TGeneralOptions& options,
                                            const std::string& programDir = {});

}  // namespace tavrel
