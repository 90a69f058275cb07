// Recorded NMEA streams played back through the acquisition loop exactly as
// the serial port would deliver them: from memory (tests) or from a file
// (flight-replay). A recording ends; it cannot be reopened.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_source.h"

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string bytes) : m_bytes(std::move(bytes)) {}
  ReadStatus Read(std::string_view& bytes) override;
  bool Reopen() override { return false; }

 private:
  std::string m_bytes;
  bool m_bDelivered = false;
};

class FileByteSource final : public ByteSource {
 public:
  FileByteSource() = default;
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  // Returns 0, or the errno of why the file cannot be read.
  int Open(const std::filesystem::path& path);
  ReadStatus Read(std::string_view& bytes) override;
  bool Reopen() override { return false; }

  // The errno of a read that failed and ended the stream early, else 0.
  int ReadError() const { return m_nReadError; }

 private:
  int m_fd = -1;
  std::vector<char> m_buffer = std::vector<char>(64 * 1024);
  int m_nReadError = 0;
};
