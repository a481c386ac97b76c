#include "pipeline/scan_operations.h"

#include <string>
#include <utility>

#include "pipeline/settings_store.h"
#include "support/error.h"
#include "transfer/feed_fetch.h"
#include "transfer/update_upload.h"

namespace tavrel {

TScanOperations MakeScanOperations(TRIGlobals& globals, std::function<bool()> regenerate,
                                   TFileProgressView* progressView) {
  TScanOperations operations;
  operations.FeedChanged = [&globals] {
    std::string failure;
    const bool changed = XmlFileChanged(FeedLocationOf(globals), &failure);
    // A feed that cannot be fetched is reported as such, never as "No changes".
    if (!failure.empty()) throw Error(failure);
    return changed;
  };
  operations.TestServerConnection = [&globals] { return TestServerConnection(globals); };
  operations.ServerIsFree = [&globals] { return ServerIsFree(globals); };
  operations.RegenerateAndUpload = [&globals, regenerate = std::move(regenerate), progressView] {
    if (!regenerate()) return TProcessResult{TProcessOutcome::NothingToSend, ""};
    std::string failure;
    if (!UploadUpdate(globals, progressView, &failure)) {
      return TProcessResult{TProcessOutcome::UploadFailed, failure};
    }
    return TProcessResult{TProcessOutcome::Uploaded, ""};
  };
  operations.CommitHandledFeed = [&globals] { CommitHandledFeed(FeedLocationOf(globals)); };
  return operations;
}

}  // namespace tavrel
