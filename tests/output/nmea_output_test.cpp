#include "output/nmea_output.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/settings_values.h"
#include "output/tcp_server.h"
#include "tests/output/stream_client.h"
#include "tests/support/flight_test.h"
#include "tests/support/pty_receiver.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Sentences of the length a receiver sends, each one different.
std::string Numbered(int n) {
  const std::string body = "GPGGA," + std::to_string(100000 + n) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,";
  return Sentence(body).substr(0, body.size() + 4);   // "$" ... "*hh", no line end
}
std::string Lines(int from, int to) {
  std::string lines;
  for (int n = from; n < to; ++n) lines += Numbered(n) + "\r\n";
  return lines;
}

constexpr std::size_t kLineBytes = 62;   // every Numbered(n) with its line end, n < 900000

// The apps at the clients' ends: read everything as it comes, on a thread
// of their own; the junk one also sends all the while.
class Apps {
 public:
  explicit Apps(StreamClient* junk = nullptr) : m_pJunk(junk), m_thread([this] { Run(); }) {}
  ~Apps() {
    m_bStop = true;
    m_thread.join();
  }
  void Add(StreamClient& client) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_clients.push_back(&client);
  }
  // Waits until each client has `bytes` (or the deadline passes).
  bool AllHave(std::size_t bytes, std::chrono::milliseconds deadline = 20s) {
    return WaitFor([&] { return m_nLeast >= bytes; }, deadline);
  }

 private:
  void Run() {
    const std::string junk(512, '\xA5');
    while (!m_bStop) {
      const std::lock_guard<std::mutex> lock(m_mutex);
      std::vector<pollfd> fds;
      for (StreamClient* client : m_clients) fds.push_back({client->Fd(), POLLIN, 0});
      ::poll(fds.data(), fds.size(), 2);
      std::size_t least = SIZE_MAX;
      for (StreamClient* client : m_clients) {
        client->ReadAvailable();
        least = std::min(least, client->Received().size());
      }
      m_nLeast = m_clients.empty() ? 0 : least;
      if (m_pJunk != nullptr) m_pJunk->Send(junk);
    }
  }

  StreamClient* m_pJunk;
  std::mutex m_mutex;
  std::vector<StreamClient*> m_clients;
  std::atomic<std::size_t> m_nLeast{0};
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};

// Sends lines [from, to) as fast as the apps of `apps` read them, never
// more than 8 KB ahead of the slowest: what is tested is the server, not
// how fast this machine lets a test thread read.
void SendPaced(NmeaOutput& output, Apps& apps, int from, int to) {
  for (int n = from; n < to; ++n) {
    if (n % 32 == 0) ASSERT_TRUE(apps.AllHave((n > 128 ? n - 128 : 0) * kLineBytes)) << n;
    output.PassOn(Numbered(n));
  }
}

class NmeaOutputTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_strStorageFolder = storage.Path().string();
  }
  void Start(const OutputSettings& settings) {
    output.Start(settings, [this](std::string_view message) {
      const std::lock_guard<std::mutex> lock(mutex);
      messages.emplace_back(message);
    });
  }
  std::vector<std::string> Messages() {
    const std::lock_guard<std::mutex> lock(mutex);
    return messages;
  }
  // A server on any free port of the loopback.
  void StartServer() {
    OutputSettings settings;
    settings.tcpPort = 0;
    settings.tcpAddress = "127.0.0.1";
    Start(settings);
    ASSERT_NE(output.TcpPort(), 0);
  }
  void Bind(int n, const fs::path& device) {
    fs::remove(storage / ("COM" + std::to_string(n)));
    fs::create_symlink(device, storage / ("COM" + std::to_string(n)));
  }

  TempDir storage;
  NmeaOutput output;
  std::mutex mutex;
  std::vector<std::string> messages;
};

TEST_F(NmeaOutputTest, EachClientGetsWholeSentencesFromTheNextOneAfterItConnects) {
  StartServer();
  StreamClient first(output.TcpPort());
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 1; }));
  // A second client connects while the stream flows: its first byte is
  // the "$" of a whole sentence, and it misses none from there on.
  std::unique_ptr<StreamClient> second;
  {
    Apps apps;
    apps.Add(first);
    SendPaced(output, apps, 0, 500);
    std::atomic<int> sent{500};
    std::thread producer([&] {
      for (int n = 500; n < 1000; ++n) {
        output.PassOn(Numbered(n));
        sent = n + 1;
        std::this_thread::sleep_for(100us);
      }
    });
    EXPECT_TRUE(WaitFor([&] { return sent >= 600; }));
    second = std::make_unique<StreamClient>(output.TcpPort());
    producer.join();
    ASSERT_TRUE(apps.AllHave(1000 * kLineBytes));
  }
  EXPECT_EQ(first.Received(), Lines(0, 1000));
  const std::string& tail = second->ReadLines(1);
  ASSERT_EQ(tail.substr(0, 7), "$GPGGA,");
  const int from = std::stoi(tail.substr(7, 6)) - 100000;
  EXPECT_EQ(second->ReadLines(static_cast<std::size_t>(1000 - from)), Lines(from, 1000));
  EXPECT_GE(from, 600);
}

TEST_F(NmeaOutputTest, SixteenClientsNobodyWaitsForTheOneThatStopsReading) {
  StartServer();
  // Reading clients, one that also sends junk, and one that never reads
  // (its receive buffer small, so that the test need not fill a large one).
  std::vector<std::unique_ptr<StreamClient>> clients;
  for (std::size_t i = 0; i + 1 < TcpServer::kMaxClients; ++i) {
    clients.push_back(std::make_unique<StreamClient>(output.TcpPort()));
  }
  StreamClient stuck(output.TcpPort(), "127.0.0.1", 4096);
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == TcpServer::kMaxClients; }));
  StreamClient seventeenth(output.TcpPort());
  EXPECT_TRUE(seventeenth.ClosedByServer());
  EXPECT_EQ(seventeenth.Received(), "");

  constexpr int kLines = 4000;   // 256 kB, far beyond what the stuck client's buffers hold
  {
    Apps apps(clients.back().get());
    for (const auto& client : clients) apps.Add(*client);
    SendPaced(output, apps, 0, kLines);
    ASSERT_TRUE(apps.AllHave(kLines * kLineBytes));
  }
  EXPECT_EQ(output.DroppedClients(), 1u);
  EXPECT_TRUE(stuck.ClosedByServer());
  const std::string all = Lines(0, kLines);
  for (const auto& client : clients) EXPECT_EQ(client->Received(), all);
  EXPECT_EQ(output.TcpClients(), TcpServer::kMaxClients - 1);
}

TEST_F(NmeaOutputTest, TenThousandConnectionsLeaveNoDescriptorAndNoMemoryBehind) {
  StartServer();
  std::atomic<bool> stop{false};
  std::thread producer([&] {
    for (int n = 0; !stop; ++n) {
      output.PassOn(Numbered(n % 1000));
      std::this_thread::sleep_for(500us);
    }
  });
  std::size_t descriptors = 0, heap = 0;
  for (int n = 0; n < 10000; ++n) {
    // Never more than a few at once: the seventeenth would be turned away.
    if (n % 8 == 0) {
      ASSERT_TRUE(WaitFor([&] { return output.TcpConnections() == std::size_t(n) && output.TcpClients() == 0; }))
          << n;
    }
    if (n == 504) {   // the server's own bookkeeping has grown to its size by now
      descriptors = OpenDescriptors();
      heap = LiveHeapBytes();
    }
    StreamClient client(output.TcpPort());
    ASSERT_TRUE(client.Connected()) << n;
    if (n % 200 == 0) {
      // Every two-hundredth one stays until a whole sentence has come.
      ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 1; })) << n;
      EXPECT_EQ(client.ReadLines(1).substr(0, 7), "$GPGGA,") << n;
    }
    if (n % 2 == 0) client.Abort();   // and the others leave at once, half of them with a reset
  }
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 0; }));
  stop = true;
  producer.join();
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_LT(LiveHeapBytes(), heap + 64 * 1024);
}

TEST_F(NmeaOutputTest, APortThatCannotBeOpenedIsToldOnceAndTheOthersGoOn) {
  // The port taken by another program, the serial link without its device.
  const int taken = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  ASSERT_EQ(::listen(taken, 1), 0);
  socklen_t length = sizeof at;
  ::getsockname(taken, reinterpret_cast<sockaddr*>(&at), &length);
  const int port = ntohs(at.sin_port);
  Bind(4, "/dev/gone");
  DatagramListener app;

  OutputSettings settings;
  settings.tcpPort = port;
  settings.serialPort = 4;
  settings.udpHost = "127.0.0.1";
  settings.udpPort = app.Port();
  Start(settings);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Not open output TCP " + std::to_string(port), "Not open output COM4"}));
  output.PassOn(Numbered(1));
  EXPECT_EQ(app.Receive(), Numbered(1) + "\r\n");
  ::close(taken);
  EXPECT_EQ(Messages().size(), 2u);   // and said once: no server is tried again
}

TEST_F(NmeaOutputTest, TheServerListensOnTheOneAddressItIsGiven) {
  StartServer();   // on 127.0.0.1 only
  EXPECT_TRUE(StreamClient(output.TcpPort(), "127.0.0.1").Connected());
  EXPECT_FALSE(StreamClient(output.TcpPort(), "127.0.0.2").Connected());

  NmeaOutput elsewhere;   // an address this machine does not have (TEST-NET-1)
  std::vector<std::string> said;
  OutputSettings settings;
  settings.tcpPort = 10110;
  settings.tcpAddress = "192.0.2.1";
  elsewhere.Start(settings, [&](std::string_view message) { said.emplace_back(message); });
  EXPECT_EQ(said, std::vector<std::string>{"Not open output TCP 10110"});
}

TEST_F(NmeaOutputTest, UdpSendsOneWholeSentenceADatagramToANumberOrAName) {
  DatagramListener app;
  OutputSettings settings;
  settings.udpHost = "localhost";   // looked up on the output thread
  settings.udpPort = app.Port();
  Start(settings);
  ASSERT_TRUE(WaitFor([&] { return output.UdpOpen(); }));
  for (int n = 0; n < 3; ++n) output.PassOn(Numbered(n));
  for (int n = 0; n < 3; ++n) EXPECT_EQ(app.Receive(), Numbered(n) + "\r\n");

  NmeaOutput nowhere;
  std::vector<std::string> said;
  std::mutex saidMutex;
  settings.udpHost = "no-such-host..invalid";
  nowhere.Start(settings, [&](std::string_view message) {
    const std::lock_guard<std::mutex> lock(saidMutex);
    said.emplace_back(message);
  });
  ASSERT_TRUE(WaitFor([&] {
    const std::lock_guard<std::mutex> lock(saidMutex);
    return !said.empty();
  }));
  EXPECT_EQ(said, std::vector<std::string>{"Not open output UDP no-such-host..invalid:" + std::to_string(app.Port())});
}

TEST_F(NmeaOutputTest, TheSerialLineIsOpenedAgainAfterAFailureAsTheGpsPortIs) {
  auto line = std::make_unique<PtyReceiver>();
  Bind(3, line->Device());
  OutputSettings settings;
  settings.serialPort = 3;
  settings.serialRate = 38400;
  Start(settings);
  EXPECT_TRUE(Messages().empty());
  ASSERT_TRUE(output.SerialOpen());
  output.PassOn(Numbered(1));
  EXPECT_EQ(line->Receive(Numbered(1).size() + 2), Numbered(1) + "\r\n");

  line->Unplug();   // the Bluetooth link drops
  ASSERT_TRUE(WaitFor([&] { return !output.SerialOpen(); }));
  output.PassOn(Numbered(2));   // into nothing, without a hitch
  line = std::make_unique<PtyReceiver>();
  Bind(3, line->Device());
  ASSERT_TRUE(WaitFor([&] { return output.SerialOpen(); }, 3s));
  output.PassOn(Numbered(3));
  EXPECT_EQ(line->Receive(Numbered(3).size() + 2), Numbered(3) + "\r\n");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(NmeaOutputTest, NothingNamedOpensNothing) {
  const std::size_t descriptors = OpenDescriptors();
  Start(OutputSettings{});
  output.PassOn(Numbered(1));
  EXPECT_EQ(output.TcpPort(), 0);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
