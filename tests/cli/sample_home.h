#pragma once

// A copy of the bundled sample workspace for tests that run the real program against the
// transmission-server simulator.
#include <filesystem>
#include <regex>
#include <string>

#include "integration/varnex_sim_fixture.h"
#include "testing/temp_folder.h"

namespace tavrel::testing {

// The sample workspace in a temporary folder, its settings naming the simulator's port.
struct SampleHome {
  explicit SampleHome(const VarnexSimulator& simulator) {
    Dir = Temp.Root() / "home";
    std::filesystem::copy(TAVREL_SOURCE_DIR "/data/sample", Dir,
                          std::filesystem::copy_options::recursive);
    const std::string settings = ReadBytes((Dir / "tavrel.ini").string());
    WriteBytes((Dir / "tavrel.ini").string(),
               std::regex_replace(settings, std::regex("FTPPort=[0-9]+"),
                                  "FTPPort=" + std::to_string(simulator.Port())));
  }
  std::filesystem::path Feed() const { return Dir / "Feed" / "news.xml"; }
  std::filesystem::path HandledCopy() const { return Dir / "Handled" / "news.xml"; }

  TempFolder Temp;
  std::filesystem::path Dir;
};

// The sample settings' account at the simulator.
inline VarnexSimOptions SampleAccount() {
  VarnexSimOptions options;
  options.Password = "teletext";
  return options;
}

}  // namespace tavrel::testing
