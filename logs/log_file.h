// One log file that records are appended to, each in one write as soon as
// it is formatted, so that a crash or a pulled battery loses at most the
// record being written.
//
// A record that cannot be written is dropped: the file is cut back to the
// end of the last whole record, so that no half line is left behind, the
// failure is reported once (until a record is written again), and the next
// record is tried as usual. Recording never stops the instrument. Records
// for a file that could not be created are dropped without a word: its
// creator says why (see OpenFlightLogs).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class LogFile {
 public:
  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Creates `path` as a new, empty file. Never opens or empties an existing
  // file: fails with EEXIST instead. Returns 0 or the errno of the failure.
  // The file is locked (flock) while this object has it open, so that
  // another run can tell a log in use from one left behind.
  int CreateNew(const std::filesystem::path& path, bool syncEachRecord);

  // Opens the existing log `path` to append to it (a run that goes on with
  // the logs of the one before it), locked like a new one. Returns 0 or the
  // errno of the failure.
  int OpenToAppend(const std::filesystem::path& path, bool syncEachRecord);

  // Appends one record. False when it was dropped.
  bool Write(std::string_view record);

  // Writes `bytes` over the file's own bytes at `offset`, within what has
  // been written (a fixed-width field of a header, settled later). False
  // when it could not be written, which is reported like a dropped record.
  bool Overwrite(long long offset, std::string_view bytes);

  // Batched, records are gathered and written 64 KiB at a time (and at
  // Flush and Close): for a replay, which can be run again, never for a
  // flight. A batch that cannot be written is dropped whole.
  void SetBatched(bool batched) { Flush(), m_bBatched = batched; }
  void Flush();

  void Close();

  bool IsOpen() const { return m_fd >= 0; }
  int OpenError() const { return m_nOpenError; }   // errno of a failed CreateNew
  const std::filesystem::path& Path() const { return m_path; }
  // Since the counts were last reset: a new file goes on counting where
  // the last one stopped.
  long long RecordsWritten() const { return m_nWritten; }
  long long RecordsDropped() const { return m_nDropped; }
  void ResetCounts() { m_nWritten = m_nDropped = 0; }

 private:
  int Take(int fd, const std::filesystem::path& path, bool syncEachRecord);
  bool WriteAll(std::string_view record, int& error);
  void ReportFailure(const std::string& what, int error);

  int m_fd = -1;
  int m_nOpenError = 0;
  std::filesystem::path m_path;
  bool m_bSync = false;
  long long m_nLength = 0;      // bytes of whole records in the file
  long long m_nWritten = 0;
  long long m_nDropped = 0;
  bool m_bFailing = false;      // the last record was dropped (and reported)
  bool m_bBatched = false;
  std::string m_batch;          // records not yet written, when batched
  long long m_nBatched = 0;     // how many
};

// Where dropped records and logs that cannot be created are reported;
// standard error unless replaced. The handler may be called on any thread.
void SetLogErrorHandler(std::function<void(const std::string& message)> handler);
void ReportLogProblem(const std::string& message);
