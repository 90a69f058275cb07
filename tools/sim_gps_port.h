// A simulated GPS receiver for the running instrument: a pseudo-terminal
// whose near side is bound to a COM name in the storage folder (the link
// the pilot would point at a real receiver). The link goes when this
// object does.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

class SimGpsPort {
 public:
  // Binds storageFolder/COM<n>; throws std::runtime_error when it cannot.
  SimGpsPort(const std::filesystem::path& storageFolder, int comNumber);
  ~SimGpsPort();
  SimGpsPort(const SimGpsPort&) = delete;
  SimGpsPort& operator=(const SimGpsPort&) = delete;

  // Sends bytes as the receiver does; waits while the instrument's side is
  // full, until a signal interrupts it.
  void Send(const std::string& bytes);
  // Waits until everything sent has been read (the instrument has opened
  // its port and is reading), or until `stop` says so; whether it was read.
  bool WaitUntilRead(const std::function<bool()>& stop) const;
  const std::string& Device() const { return m_device; }

 private:
  int m_master = -1;
  int m_line = -1;   // held open, so the line stays up between the instrument's opens
  std::string m_device;
  std::filesystem::path m_link;
};
