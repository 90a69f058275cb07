#include "app/signal_closer.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

namespace {

int g_signalPipe[2] = {-1, -1};
bool g_bEndRequested = false;

extern "C" void WriteSignalToPipe(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
  (void)written;
}

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

SignalCloser::SignalCloser(QObject* parent) : QObject(parent) {
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  m_pNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
  connect(m_pNotifier, &QSocketNotifier::activated, this, &SignalCloser::OnSignal);
  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndSignals) ::sigaction(signal, &action, nullptr);
}

SignalCloser::~SignalCloser() {
  for (const int signal : kEndSignals) std::signal(signal, SIG_DFL);
  for (int& fd : g_signalPipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void SignalCloser::OnSignal() {
  unsigned char byte = 0;
  while (::read(g_signalPipe[0], &byte, 1) == 1) {
  }
  g_bEndRequested = true;
  // Closes the settings dialog first when it is open, then the main
  // window, whose close stops the acquisition.
  QApplication::closeAllWindows();
}

bool SignalCloser::EndRequested() { return g_bEndRequested; }
