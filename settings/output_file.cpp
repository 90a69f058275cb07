#include "settings/output_file.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>

#include "settings/name_value_file.h"

namespace {

constexpr std::size_t kMaxFileBytes = 4096;
constexpr int kMaxPort = 65535;
constexpr int kMinSerialRate = 300;
constexpr int kMaxSerialRate = 4000000;

// A whole number of at most seven digits, nothing else; nullopt otherwise.
std::optional<int> WholeNumber(std::string_view text) {
  if (text.empty() || text.size() > 7) return std::nullopt;
  int number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::optional<int> Port(std::string_view text) {
  const std::optional<int> port = WholeNumber(text);
  if (!port || *port < 1 || *port > kMaxPort) return std::nullopt;
  return port;
}

// An IPv6 address may stand in brackets, as in a URL.
std::string_view Unbracketed(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

bool IsIpAddress(std::string_view text) {
  const std::string address(Unbracketed(text));
  in6_addr bytes{};
  return ::inet_pton(AF_INET, address.c_str(), &bytes) == 1 || ::inet_pton(AF_INET6, address.c_str(), &bytes) == 1;
}

// "COM4" or "COM4:", any case: 4. 0 for anything else.
int SerialPortNumber(std::string_view text) {
  if (!text.empty() && text.back() == ':') text.remove_suffix(1);
  if (text.size() != 4 || !SameName(text.substr(0, 3), "COM") || text[3] < '1' || text[3] > '9') return 0;
  return text[3] - '0';
}

std::string Problem(std::string_view name, std::string_view value, std::string_view what) {
  return std::string(kOutputFileName) + ": " + std::string(name) + " \"" + std::string(value) + "\" " +
         std::string(what);
}

class OutputFileReader {
 public:
  void Read(const NameValueLine& line) {
    if (SameName(line.name, "TCP port")) {
      TcpPort(line.value);
    } else if (SameName(line.name, "TCP address")) {
      TcpAddress(line.value);
    } else if (SameName(line.name, "UDP to")) {
      UdpTo(line.value);
    } else if (SameName(line.name, "Serial")) {
      Serial(line.value);
    } else if (SameName(line.name, "Serial rate")) {
      SerialRate(line.value);
    }
  }

  OutputFile Finish() {
    OutputSettings& s = m_file.settings;
    // A server on all addresses is not what the pilot asked for.
    if (m_bAddressBad) s.tcpPort.reset();
    if (!s.tcpAddress.empty() && !s.tcpPort) {
      s.tcpAddress.clear();
      m_file.problems.push_back(std::string(kOutputFileName) + ": TCP address without a TCP port: no server");
    }
    if (m_bRateGiven && s.serialPort == 0) {
      m_file.problems.push_back(std::string(kOutputFileName) + ": Serial rate without a Serial line: nothing sent");
    }
    return std::move(m_file);
  }

 private:
  void TcpPort(const std::string& value) {
    m_file.settings.tcpPort = Port(value);
    if (!m_file.settings.tcpPort) {
      m_file.problems.push_back(Problem("TCP port", value, "is no port number (1 to 65535): no server"));
    }
  }
  void TcpAddress(const std::string& value) {
    m_bAddressBad = !(value.empty() || SameName(value, "all") || IsIpAddress(value));
    m_file.settings.tcpAddress = m_bAddressBad || SameName(value, "all") ? std::string() : std::string(Unbracketed(value));
    if (m_bAddressBad) {
      m_file.problems.push_back(Problem("TCP address", value, "is no IPv4 or IPv6 address: no server"));
    }
  }
  void UdpTo(const std::string& value) {
    OutputSettings& s = m_file.settings;
    const std::size_t colon = value.rfind(':');
    const std::string_view host = colon == std::string::npos ? std::string_view() : std::string_view(value).substr(0, colon);
    const std::optional<int> port = colon == std::string::npos ? std::nullopt : Port(value.substr(colon + 1));
    const std::string_view bare = Unbracketed(host);
    // An IPv6 address without its brackets cannot be told from its port.
    const bool ipv6Unbracketed = bare == host && host.find(':') != std::string_view::npos;
    if (bare.empty() || !port || ipv6Unbracketed || bare.find(' ') != std::string_view::npos) {
      s.udpHost.clear();
      s.udpPort = 0;
      m_file.problems.push_back(Problem("UDP to", value, "is not HOST:PORT (port 1 to 65535): nothing sent by UDP"));
      return;
    }
    s.udpHost = std::string(bare);
    s.udpPort = *port;
  }
  void Serial(const std::string& value) {
    m_file.settings.serialPort = SerialPortNumber(value);
    if (m_file.settings.serialPort == 0) {
      m_file.problems.push_back(Problem("Serial", value, "is no port COM1 to COM9: no serial line"));
    }
  }
  void SerialRate(const std::string& value) {
    m_bRateGiven = true;
    const std::optional<int> rate = WholeNumber(value);
    if (rate && *rate >= kMinSerialRate && *rate <= kMaxSerialRate) {
      m_file.settings.serialRate = *rate;
      return;
    }
    m_file.settings.serialRate = OutputSettings::kDefaultSerialRate;
    m_file.problems.push_back(Problem("Serial rate", value, "is no rate (300 to 4000000 bit/s): " +
                                      std::to_string(OutputSettings::kDefaultSerialRate) + " taken"));
  }

  OutputFile m_file;
  bool m_bAddressBad = false;
  bool m_bRateGiven = false;
};

}  // namespace

std::string OutputSettings::UdpTarget() const {
  const std::string port = std::to_string(udpPort);
  return udpHost.find(':') == std::string::npos ? udpHost + ":" + port : "[" + udpHost + "]:" + port;
}

OutputFile ParseOutputFile(std::string_view bytes) {
  OutputFileReader reader;
  for (const NameValueLine& line : ReadNameValueLines(bytes)) reader.Read(line);
  return reader.Finish();
}

OutputFile LoadOutputFile(const std::filesystem::path& path) {
  int error = 0;
  const std::optional<std::string> bytes = ReadSmallFile(path, kMaxFileBytes, error);
  if (bytes) return ParseOutputFile(*bytes);
  OutputFile file;
  if (error != ENOENT) {
    file.problems.push_back(std::string(kOutputFileName) + " cannot be read (" + std::strerror(error) +
                            "): nothing is sent");
  }
  return file;
}
