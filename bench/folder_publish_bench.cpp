// Publishing page files to an inserter's page folder, as the scan does it: reads every file of
// SOURCE into memory (not timed), then publishes them to TARGET with PublishToFolder and
// prints the seconds it took and what it did. Run twice on one TARGET, the second run
// republishes unchanged pages. bench/folder_publish_floor.py drives it against a plain writer.
//
//     folder_publish_bench SOURCE TARGET MANIFEST
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_utils.h"
#include "transfer/folder_publish.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: folder_publish_bench SOURCE TARGET MANIFEST\n", stderr);
    return 2;
  }
  std::vector<tavrel::TFolderPageFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    files.push_back(
        {entry.path().filename().string(), tavrel::ReadFileBytes(entry.path().string(), 1 << 20)});
  }
  const auto start = std::chrono::steady_clock::now();
  std::string failure;
  tavrel::TFolderPublication report;
  const bool published = tavrel::PublishToFolder(argv[2], files, argv[3], &failure, &report);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!published) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
  }
  std::printf("%.6f %d written %d unchanged %d removed\n", took.count(), report.Written,
              report.Unchanged, report.Removed);
  return 0;
}
