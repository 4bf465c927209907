#pragma once

// A private X server for one end-to-end run: Xvfb on the first free display
// number (it picks one itself and tells us through -displayfd), without a
// window manager, so windows stay where the programs or the test put them.

#include <filesystem>
#include <string>

#include "testing/e2e/child_group.h"

namespace quib::e2e {

class XvfbDisplay {
  public:
    // False, with the reason in *error, when Xvfb does not come up.
    bool Start(int width, int height, const std::filesystem::path& logFile, std::string* error);
    void Stop() { process_.Stop(); }

    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }

  private:
    ChildGroup process_;
    std::string name_;
};

}  // namespace quib::e2e
