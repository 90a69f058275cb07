// The simulation's Output.txt: written into the instrument's storage
// folder so that the instrument started there serves its NMEA stream on a
// TCP port, and taken away with the simulation. An Output.txt the folder
// holds already is the pilot's: it is left as it is, and nothing written.
#pragma once

#include <filesystem>

class SimOutputFile {
 public:
  SimOutputFile(const std::filesystem::path& storageFolder, int tcpPort);
  ~SimOutputFile();
  SimOutputFile(const SimOutputFile&) = delete;
  SimOutputFile& operator=(const SimOutputFile&) = delete;

  bool Written() const { return !m_path.empty(); }

 private:
  std::filesystem::path m_path;   // the file written, empty when none
};
