#include "output/nmea_output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

#include "output/serial_output.h"
#include "output/tcp_server.h"
#include "output/udp_output.h"

NmeaOutput::NmeaOutput() : m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

NmeaOutput::~NmeaOutput() {
  Stop();
  if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void NmeaOutput::Report(const std::string& message, const std::string& reason) const {
  std::fprintf(stderr, "%s: %s\n", message.c_str(), reason.c_str());
  if (m_onMessage) m_onMessage(message);
}

void NmeaOutput::Start(const OutputSettings& settings, MessageHandler onMessage, const ServerSockets& handed) {
  if (m_thread.joinable() || !settings.tcpPort) CloseSockets(handed);
  if (m_thread.joinable() || !settings.SendsAnywhere()) return;
  m_settings = settings;
  m_onMessage = std::move(onMessage);
  m_bStop = false;
  if (settings.tcpPort) {
    auto tcp = std::make_unique<TcpServer>();
    const int error = tcp->Adopt(handed, *settings.tcpPort, settings.tcpAddress)
                          ? 0
                          : tcp->Listen(*settings.tcpPort, settings.tcpAddress);
    if (error) {
      Report("Not open output TCP " + std::to_string(*settings.tcpPort),
             error > 0 ? std::strerror(error) : "no local address " + settings.tcpAddress);
    } else {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pTcp = std::move(tcp);
    }
  }
  if (!settings.udpHost.empty() && UdpOutput::IsNumericHost(settings.udpHost)) {
    OpenUdp(settings.udpHost, settings.udpPort, settings.UdpTarget());
  }
  if (settings.serialPort != 0) {
    auto serial = std::make_unique<SerialOutput>(settings.serialPort, settings.serialRate);
    const int fd = serial->OpenLine();
    const int error = errno;
    if (fd >= 0) serial->Use(fd);
    else Report("Not open output " + serial->Name(), std::strerror(error));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pSerial = std::move(serial);   // kept: tried again until it opens
  }
  const bool udpByName = !settings.udpHost.empty() && !UdpOutput::IsNumericHost(settings.udpHost);
  if (!m_pTcp && !m_pUdp && !m_pSerial && !udpByName) return;
  m_bSending.store(true, std::memory_order_release);
  m_thread = std::thread(&NmeaOutput::Run, this);
}

void NmeaOutput::OpenUdp(const std::string& host, int port, const std::string& target) {
  auto udp = std::make_unique<UdpOutput>();
  const std::string why = udp->Open(host, port);
  if (!why.empty()) {
    Report("Not open output UDP " + target, why);
    return;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pUdp = std::move(udp);
}

void NmeaOutput::Stop() { Release(false); }

ServerSockets NmeaOutput::Release() { return Release(true); }

ServerSockets NmeaOutput::Release(bool handOver) {
  m_bSending.store(false);
  if (m_thread.joinable()) {
    m_bStop = true;
    Wake();
    m_thread.join();
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  const ServerSockets handed = handOver && m_pTcp ? m_pTcp->Release() : ServerSockets{};
  m_pTcp.reset();
  m_pUdp.reset();
  m_pSerial.reset();
  return handed;
}

void NmeaOutput::PassOn(std::string_view sentence) {
  if (!m_bSending.load(std::memory_order_acquire) || sentence.size() > kMaxSentenceBytes) return;
  std::array<char, kMaxSentenceBytes + 2> line;
  std::memcpy(line.data(), sentence.data(), sentence.size());
  line[sentence.size()] = '\r';
  line[sentence.size() + 1] = '\n';
  const std::string_view bytes(line.data(), sentence.size() + 2);
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pTcp) wake = m_pTcp->Send(bytes);
    if (m_pSerial && m_pSerial->Send(bytes)) wake = true;
    if (m_pUdp) m_pUdp->Send(bytes);
  }
  if (wake) Wake();
}

void NmeaOutput::Wake() const {
  const std::uint64_t one = 1;
  const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
  (void)written;   // a full counter wakes the thread as well
}

void NmeaOutput::Run() {
  using Clock = std::chrono::steady_clock;
  if (!m_settings.udpHost.empty() && !UdpOutput::IsNumericHost(m_settings.udpHost)) {
    OpenUdp(m_settings.udpHost, m_settings.udpPort, m_settings.UdpTarget());
  }
  Clock::time_point nextSerialTry = Clock::now() + kSerialReopenPause;
  std::vector<pollfd> fds;
  while (!m_bStop.load()) {
    fds.assign(1, pollfd{m_wakeFd, POLLIN, 0});
    std::size_t tcpAt = 0, serialAt = 0;
    int timeoutMs = -1;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_pTcp) {
        tcpAt = fds.size();
        m_pTcp->AddPollFds(fds);
      }
      if (m_pSerial) {
        serialAt = fds.size();
        m_pSerial->AddPollFds(fds);
        if (fds.size() == serialAt) serialAt = 0;   // a closed line has no entry
        if (!m_pSerial->IsOpen()) {
          const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextSerialTry - Clock::now());
          timeoutMs = static_cast<int>(std::max<long long>(0, wait.count()));
        }
      }
    }
    ::poll(fds.data(), fds.size(), timeoutMs);
    if (fds[0].revents & POLLIN) {
      std::uint64_t count = 0;
      const ssize_t drained = ::read(m_wakeFd, &count, sizeof count);
      (void)drained;
    }

    bool serialTry = false;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_pTcp) m_pTcp->Serve(&fds[tcpAt]);
      if (m_pSerial) {
        const bool wasOpen = m_pSerial->IsOpen();
        m_pSerial->Serve(serialAt != 0 ? &fds[serialAt] : nullptr);
        if (wasOpen && !m_pSerial->IsOpen()) nextSerialTry = Clock::now() + kSerialReopenPause;
        serialTry = !m_pSerial->IsOpen() && Clock::now() >= nextSerialTry;
      }
    }
    if (serialTry) {
      // Opened without the lock: the senders go on meanwhile.
      const int fd = m_pSerial->OpenLine();
      nextSerialTry = Clock::now() + kSerialReopenPause;
      if (fd >= 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pSerial->Use(fd);
      }
    }
  }
}

int NmeaOutput::TcpPort() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pTcp ? m_pTcp->Port() : 0;
}

std::size_t NmeaOutput::TcpClients() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pTcp ? m_pTcp->Clients() : 0;
}

std::size_t NmeaOutput::TcpConnections() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pTcp ? m_pTcp->Connections() : 0;
}

std::size_t NmeaOutput::DroppedClients() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pTcp ? m_pTcp->Dropped() : 0;
}

bool NmeaOutput::SerialOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pSerial && m_pSerial->IsOpen();
}

bool NmeaOutput::UdpOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pUdp != nullptr;
}
