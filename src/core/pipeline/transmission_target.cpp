#include "pipeline/transmission_target.h"

#include <exception>
#include <vector>

#include "pipeline/feed_pipeline.h"
#include "pipeline/settings_store.h"
#include "pipeline/teletext_export.h"
#include "support/text_utils.h"
#include "support/windows1252.h"
#include "transfer/folder_publish.h"
#include "transfer/update_upload.h"

namespace tavrel {

namespace {

bool Fail(std::string* failure, const std::string& message) {
  if (failure != nullptr) *failure = message;
  return false;
}

}  // namespace

bool PublishesToFolder(const TGeneralOptions& options) {
  return EqualsIgnoreCase(options.Target, kTargetFolder);
}

std::string TargetFolderPath(const TRIGlobals& settings) {
  return settings.ResolvePath(settings.TargetFolder);
}

std::string TargetFolderProblem(const TRIGlobals& settings) {
  if (!PublishesToFolder(settings)) {
    if (settings.Target.empty() || EqualsIgnoreCase(settings.Target, kTargetVarnex)) return {};
    return "Target=" + settings.Target + " is neither " + kTargetVarnex + " nor " + kTargetFolder +
           "; the pages go to the server";
  }
  return PageFolderProblem(TargetFolderPath(settings));
}

bool TestTargetConnection(const TRIGlobals& settings, std::string* failure) {
  if (!PublishesToFolder(settings)) return TestServerConnection(settings.Server, failure);
  const std::string problem = TargetFolderProblem(settings);
  return problem.empty() || Fail(failure, problem);
}

bool TargetIsFree(const TRIGlobals& settings) {
  return PublishesToFolder(settings) || ServerIsFree(settings.Server, settings.TransferDir);
}

bool PublishUpdate(const TRIGlobals& settings, TFileProgressView* progressView,
                   std::string* failure, std::stop_token stop) {
  if (!PublishesToFolder(settings)) {
    return UploadUpdate(UpdateTargetOf(settings), progressView, failure, stop);
  }
  std::vector<TFolderPageFile> files;
  try {
    const TTeletextExport pages(settings.ExportDir);
    for (const TTtiFile& file : pages.TtiFiles()) {
      files.push_back({file.Pages.front().PageText() + ".tti", file.Text()});
    }
  } catch (const std::exception& error) {
    return Fail(failure, error.what());
  }
  if (stop.stop_requested()) return Fail(failure, "the publication was cancelled");
  return PublishToFolder(TargetFolderPath(settings), files,
                         settings.HandledDir + kFolderManifestFileName, failure);
}

std::string TargetDescription(const TRIGlobals& settings) {
  if (PublishesToFolder(settings))
    return "page folder " + PathAsWindows1252Text(TargetFolderPath(settings));
  return "server " + settings.Server.FTPHost + ":" + std::to_string(settings.Server.FTPPort) + " " +
         RemoteTransferFolder(settings.Server, settings.TransferDir);
}

}  // namespace tavrel
