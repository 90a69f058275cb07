// The tools explain themselves: --help lists every option their usage
// names (the manual pages are made from it), --version gives the project's
// version; both end at once with status 0.
#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "base/program_version.h"
#include "tools/flight_sim_options.h"
#include "tools/replay_options.h"

namespace {

struct Output {
  int status = -1;
  std::string text;
};

Output RunTool(const std::string& command) {
  Output out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.text.append(buffer, n);
  const int raw = ::pclose(pipe);
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

std::set<std::string> Options(const std::string& text) {
  static const std::regex option("--[a-z][a-z-]*");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it) {
    found.insert(it->str());
  }
  return found;
}

TEST(ToolHelp, HelpNamesEveryOptionOfTheUsageAndVersionTheProjectsNumber) {
  const struct {
    std::string exe, name, usage;
    std::vector<std::string> helpCalls;
  } tools[] = {
      {FLIGHT_REPLAY_EXE, "flight-replay", kReplayUsage, {"--help", "-h", "--print --help"}},
      {FLIGHT_SIM_EXE, "flight-sim", kSimUsage, {"--help", "-h", "run --storage d --help"}},
  };
  for (const auto& tool : tools) {
    SCOPED_TRACE(tool.name);
    for (const std::string& call : tool.helpCalls) {
      const Output help = RunTool(tool.exe + " " + call);
      EXPECT_EQ(help.status, 0) << call;
      EXPECT_EQ(help.text.rfind("Usage: " + tool.name + " ", 0), 0u) << call << ":\n" << help.text;
      std::set<std::string> missing = Options(tool.usage);
      for (const std::string& option : Options(help.text)) missing.erase(option);
      EXPECT_TRUE(missing.empty()) << "not in the help: " << *missing.begin();
    }
    const Output version = RunTool(tool.exe + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.text, tool.name + " " + kProgramVersion + "\n");
  }
}

}  // namespace
