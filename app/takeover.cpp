#include "app/takeover.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// flight-instrument --take-over TRACK ACCEL PORT
constexpr std::string_view kOption = "--take-over";

}  // namespace

Launch& ThisLaunch() {
  static Launch launch;
  return launch;
}

std::optional<Takeover> TakeoverFromArguments(int argc, char** argv) {
  if (argc != 5 || argv[1] != kOption) return std::nullopt;
  Takeover takeover{argv[2], argv[3], -1};
  const std::string_view port = argv[4];
  const auto result = std::from_chars(port.data(), port.data() + port.size(), takeover.gpsPort);
  if (result.ec != std::errc() || result.ptr != port.data() + port.size()) takeover.gpsPort = -1;
  return takeover;
}

int ExecTakeover(const Takeover& takeover) {
  std::error_code error;
  const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return error.value();
  const std::string port = std::to_string(takeover.gpsPort);
  const std::vector<std::string> args = {program, std::string(kOption), takeover.track.string(),
                                         takeover.accel.string(), port};
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  return errno;
}
