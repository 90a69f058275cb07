#include "app/takeover.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// flight-instrument --take-over TRACK ACCEL PORT [SERVER]
// SERVER: the output server's descriptors, "LISTENER,CLIENT,CLIENT...".
constexpr std::string_view kOption = "--take-over";

// A descriptor's number, or -1.
int Descriptor(std::string_view text) {
  int fd = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), fd);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && fd >= 0 ? fd : -1;
}

ServerSockets ServerFromArgument(std::string_view text) {
  std::vector<int> fds;
  for (;;) {
    const std::size_t comma = text.find(',');
    fds.push_back(Descriptor(text.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  ServerSockets server;
  if (fds.front() < 0) return server;   // no server without its listening socket
  server.listener = fds.front();
  std::copy_if(fds.begin() + 1, fds.end(), std::back_inserter(server.clients), [](int fd) { return fd >= 0; });
  return server;
}

std::string ServerArgument(const ServerSockets& server) {
  std::string text = std::to_string(server.listener);
  for (const int client : server.clients) text += "," + std::to_string(client);
  return text;
}

}  // namespace

Launch& ThisLaunch() {
  static Launch launch;
  return launch;
}

std::optional<Takeover> TakeoverFromArguments(int argc, char** argv) {
  if ((argc != 5 && argc != 6) || argv[1] != kOption) return std::nullopt;
  Takeover takeover{argv[2], argv[3], Descriptor(argv[4]), {}};
  if (argc == 6) takeover.output = ServerFromArgument(argv[5]);
  return takeover;
}

int ExecTakeover(const Takeover& takeover) {
  std::error_code error;
  const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return error.value();
  const std::vector<std::string> args = {program,
                                         std::string(kOption),
                                         takeover.track.string(),
                                         takeover.accel.string(),
                                         std::to_string(takeover.gpsPort),
                                         ServerArgument(takeover.output)};
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  return errno;
}
