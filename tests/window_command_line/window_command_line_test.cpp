// Both windows run as processes without a display: --help and --version are
// answered before the window's application needs one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kelvane/version.h"
#include "process_run.h"

namespace kelvane::test {
namespace {

TEST(WindowCommandLine, HelpAndVersionNeedNoDisplay) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> printed;  // the whole output for --version, else parts of it
  };
  // clang-format off
  const Case cases[] = {
      {{KELVANE_PATH, "--version"}, {"kelvane " KELVANE_VERSION "\n"}},
      // Qt's word options are not read as runs of letters (-stylesheet holds an h).
      {{KELVANE_PREVIEW_PATH, "-stylesheet", "a.qss", "--version"},
       {"kelvane-preview " KELVANE_VERSION "\n"}},
      {{KELVANE_PATH, "--help"},
       {"Usage: kelvane [options]\n", "press Convert", "--version", "\nQt options", "-platform NAME"}},
      {{KELVANE_PREVIEW_PATH, "-h"},
       {"Usage: kelvane-preview [options] [FILE]\n", "--zoom <N>", "FILE ", "-platform NAME"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Outcome run = RunProcess(".", c.args, {.timeout = std::chrono::seconds(60)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    if (c.args.back() == "--version") {
      EXPECT_EQ(run.out, c.printed.front());
    } else {
      for (const std::string& part : c.printed)
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
  }
}

}  // namespace
}  // namespace kelvane::test
