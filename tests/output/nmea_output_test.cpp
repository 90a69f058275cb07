#include "output/nmea_output.h"

#include <fcntl.h>
#include <poll.h>
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
#include "tests/support/stream_client.h"
#include "tests/support/flight_test.h"
#include "tests/support/pty_receiver.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Sentences as a receiver sends them, each one different: "$" ... "*hh".
std::string Numbered(int n) {
  const std::string body = "GPGGA," + std::to_string(100000 + n) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,";
  return Sentence(body).substr(0, body.size() + 4);
}
std::string Lines(int from, int to) {
  std::string lines;
  for (int n = from; n < to; ++n) lines += Numbered(n) + "\r\n";
  return lines;
}
constexpr std::size_t kLineBytes = 62;   // of Numbered(n) with its line end

// Reads every app's client until each has `bytes`; the first one sends junk
// all the while. The apps' reading and the sending take turns on the test's
// thread: sending never waits.
bool ReadUntilAllHave(const std::vector<std::unique_ptr<StreamClient>>& apps, std::size_t bytes) {
  return WaitFor([&] {
    apps.front()->Send(std::string(512, '\xA5'));
    return std::all_of(apps.begin(), apps.end(), [&](const auto& app) {
      app->ReadAvailable();
      return app->Received().size() >= bytes;
    });
  }, 20s);
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
  void StartServer() {   // on a free port of 127.0.0.1 only
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

TEST_F(NmeaOutputTest, SixteenClientsGetWholeSentencesAndNobodyWaitsForOneThatStopsReading) {
  StartServer();
  std::vector<std::unique_ptr<StreamClient>> apps;   // the first sends junk too
  for (std::size_t i = 0; i + 1 < TcpServer::kMaxClients; ++i) apps.push_back(std::make_unique<StreamClient>(output.TcpPort()));
  StreamClient stuck(output.TcpPort(), "127.0.0.1", 4096);
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == TcpServer::kMaxClients; }));
  StreamClient seventeenth(output.TcpPort());
  EXPECT_TRUE(seventeenth.ReadLines(1).empty() && seventeenth.Closed());

  // 4000 lines, 248 kB, far beyond what the stuck client's buffers hold,
  // never more than 8 kB ahead of the slowest app: what is tested is the
  // server, not how fast this machine lets the test read.
  for (int n = 0; n < 4000; ++n) {
    ASSERT_TRUE(n % 32 != 0 || ReadUntilAllHave(apps, (n > 128 ? n - 128 : 0) * kLineBytes)) << n;
    output.PassOn(Numbered(n));
  }
  ASSERT_TRUE(ReadUntilAllHave(apps, 4000 * kLineBytes));
  EXPECT_EQ(output.DroppedClients(), 1u);
  EXPECT_TRUE(stuck.ReadLines(SIZE_MAX).size() < 4000 * kLineBytes && stuck.Closed());
  for (const auto& app : apps) EXPECT_EQ(app->Received(), Lines(0, 4000));

  // A client that comes mid-stream gets whole sentences from the next one on.
  std::atomic<int> sent{4000};
  std::thread producer([&] {
    for (; sent < 4200; ++sent) {
      output.PassOn(Numbered(sent));
      std::this_thread::sleep_for(100us);
    }
  });
  ASSERT_TRUE(WaitFor([&] { return sent > 4050; }));
  StreamClient late(output.TcpPort());
  producer.join();
  ASSERT_EQ(late.ReadLines(1).substr(0, 7), "$GPGGA,");
  const int from = std::stoi(late.Received().substr(7, 6)) - 100000;
  EXPECT_EQ(late.ReadLines(4200 - from), Lines(from, 4200));
}

TEST_F(NmeaOutputTest, TenThousandConnectionsLeaveNoDescriptorAndNoMemoryBehind) {
  StartServer();
  std::atomic<bool> stop{false};
  std::thread producer([&] {
    for (int n = 0; !stop; n = (n + 1) % 1000) {
      output.PassOn(Numbered(n));
      std::this_thread::sleep_for(500us);
    }
  });
  std::size_t descriptors = 0, heap = 0;
  for (int n = 0; n < 10000; ++n) {
    // A few at a time (the seventeenth would be turned away).
    if (n % 8 == 0) {
      ASSERT_TRUE(WaitFor([&] { return output.TcpConnections() == std::size_t(n) && output.TcpClients() == 0; })) << n;
    }
    if (n == 504) {   // the server's own bookkeeping has grown to its size by now
      descriptors = OpenDescriptors();
      heap = LiveHeapBytes();
    }
    StreamClient client(output.TcpPort());
    if (n % 200 == 0) {   // some stay for a whole sentence
      ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 1; })) << n;
      EXPECT_EQ(client.ReadLines(1).substr(0, 7), "$GPGGA,") << n;
    }
    if (n % 2 == 0) client.Abort();   // half of them leave with a reset
  }
  ASSERT_TRUE(WaitFor([&] { return output.TcpConnections() == 10000 && output.TcpClients() == 0; }));
  stop = true;
  producer.join();
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_LT(LiveHeapBytes(), heap + 64 * 1024);
}

TEST_F(NmeaOutputTest, WhatCannotBeOpenedIsToldOnceAndTheOthersGoOn) {
  // The port taken by another program, the serial link without its device.
  const int port = FreeTcpPort();
  const int taken = ListenOnAllAddresses(port);
  ASSERT_GE(taken, 0);
  Bind(4, "/dev/gone");
  DatagramListener app;
  OutputSettings settings;
  settings.tcpPort = port;
  settings.serialPort = 4;
  settings.udpHost = "127.0.0.1";
  settings.udpPort = app.Port();
  Start(settings);
  const std::vector<std::string> told = {"Not open output TCP " + std::to_string(port), "Not open output COM4"};
  EXPECT_EQ(Messages(), told);
  output.PassOn(Numbered(1));
  EXPECT_EQ(app.Receive(), Numbered(1) + "\r\n");   // one whole sentence a datagram
  ::close(taken);
  EXPECT_EQ(Messages(), told);   // no server is tried again

  // An address this machine does not have (TEST-NET-1); a host that has no address.
  NmeaOutput elsewhere;
  std::vector<std::string> said;
  std::mutex saidMutex;
  OutputSettings wrong;
  wrong.tcpPort = 10110;
  wrong.tcpAddress = "192.0.2.1";
  wrong.udpHost = "no-such-host..invalid";   // looked up on the output thread
  wrong.udpPort = 10110;
  elsewhere.Start(wrong, [&](std::string_view message) {
    const std::lock_guard<std::mutex> lock(saidMutex);
    said.emplace_back(message);
  });
  EXPECT_TRUE(WaitFor([&] {
    const std::lock_guard<std::mutex> lock(saidMutex);
    return said == std::vector<std::string>{"Not open output TCP 10110", "Not open output UDP no-such-host..invalid:10110"};
  }));
}

TEST_F(NmeaOutputTest, TheServerListensOnlyWhereItIsToldAndAUdpHostMayBeAName) {
  DatagramListener app;
  OutputSettings settings;
  settings.tcpPort = 0;
  settings.tcpAddress = "127.0.0.1";
  settings.udpHost = "localhost";
  settings.udpPort = app.Port();
  Start(settings);
  EXPECT_TRUE(StreamClient(output.TcpPort(), "127.0.0.1").Connected());
  EXPECT_FALSE(StreamClient(output.TcpPort(), "127.0.0.2").Connected());
  ASSERT_TRUE(WaitFor([&] { return output.UdpOpen(); }));
  output.PassOn(Numbered(2));
  EXPECT_EQ(app.Receive(), Numbered(2) + "\r\n");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(NmeaOutputTest, TheSerialLineIsOpenedAgainAfterAFailureAsTheGpsPortIs) {
  auto line = std::make_unique<PtyReceiver>();
  Bind(3, line->Device());
  OutputSettings settings;
  settings.serialPort = 3;
  settings.serialRate = 38400;
  Start(settings);
  ASSERT_TRUE(output.SerialOpen());
  output.PassOn(Numbered(1));
  EXPECT_EQ(line->Receive(kLineBytes), Numbered(1) + "\r\n");

  line->Unplug();   // the Bluetooth link drops
  ASSERT_TRUE(WaitFor([&] { return !output.SerialOpen(); }));
  output.PassOn(Numbered(2));   // into nothing, without a hitch
  line = std::make_unique<PtyReceiver>();
  Bind(3, line->Device());
  ASSERT_TRUE(WaitFor([&] { return output.SerialOpen(); }, 3s));
  output.PassOn(Numbered(3));
  EXPECT_EQ(line->Receive(kLineBytes), Numbered(3) + "\r\n");
  EXPECT_TRUE(Messages().empty());
}

bool KeptAcrossExec(int fd) { return (::fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0; }

// A run that hands the flight over to a new one by exec hands its server
// over: the listening socket, whose backlog keeps an app that connects
// meanwhile, and the apps at a line's end, which stay connected and go on
// with the next line; an app with bytes still waiting for it is closed, so
// nobody gets a cut line. A new run whose Output.txt names another server
// closes what it was handed.
TEST_F(NmeaOutputTest, AServerHandedToTheNextRunKeepsItsAppsAndTakesThoseThatConnectMeanwhile) {
  TcpServer server;
  ASSERT_EQ(server.Listen(0, "127.0.0.1"), 0);
  const int port = server.Port();
  StreamClient reading(port), stuck(port, "127.0.0.1", 4096);
  std::vector<pollfd> fds;
  ASSERT_TRUE(WaitFor([&] {
    fds.clear();
    server.AddPollFds(fds);
    ::poll(fds.data(), fds.size(), 10);
    server.Serve(fds.data());
    return server.Clients() == 2;
  }));
  int n = 0;
  for (bool queued = false; !queued; ++n) {   // until the stuck app has bytes waiting
    queued = server.Send(Numbered(n) + "\r\n");
    reading.ReadAvailable();
    ASSERT_LT(n, 2000);
  }
  ServerSockets handed = server.Release();
  ASSERT_EQ(handed.clients.size(), 1u);
  EXPECT_TRUE(KeptAcrossExec(handed.listener) && KeptAcrossExec(handed.clients[0]));
  // A number whose socket was lost on the way, taken by another file: not
  // the server's to use or close.
  const int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  handed.clients.push_back(other);
  EXPECT_TRUE(stuck.ReadLines(SIZE_MAX, 2s).size() < std::size_t(n) * kLineBytes && stuck.Closed());
  StreamClient meanwhile(port);

  OutputSettings settings;
  settings.tcpPort = port;
  settings.tcpAddress = "127.0.0.1";
  output.Start(settings, nullptr, handed);
  ASSERT_EQ(output.TcpPort(), port);
  EXPECT_FALSE(KeptAcrossExec(handed.listener));
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 2; }));
  for (int next = n; next < n + 10; ++next) output.PassOn(Numbered(next));
  EXPECT_EQ(reading.ReadLines(n + 10), Lines(0, n + 10));
  EXPECT_EQ(meanwhile.ReadLines(10), Lines(n, n + 10));

  settings.tcpAddress.clear();   // all addresses now: another server
  settings.tcpPort = FreeTcpPort();
  NmeaOutput next;
  ServerSockets again = output.Release();
  again.clients.push_back(other);
  next.Start(settings, nullptr, again);
  EXPECT_TRUE(reading.ReadLines(SIZE_MAX, 2s).size() == (n + 10) * kLineBytes && reading.Closed());
  EXPECT_EQ(next.TcpPort(), *settings.tcpPort);
  EXPECT_EQ(::close(other), 0) << "left open";
}

TEST_F(NmeaOutputTest, NothingNamedOpensNothing) {
  const std::size_t descriptors = OpenDescriptors();
  Start(OutputSettings{});
  output.PassOn(Numbered(1));
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
