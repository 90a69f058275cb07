// The sentences the acquisition loop passes on to other programs: exactly
// those it reads itself, byte for byte from "$" to the checksum.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

class CollectingSink final : public SentenceSink {
 public:
  void PassOn(std::string_view sentence) override { sentences.emplace_back(sentence); }
  std::vector<std::string> sentences;
};

// The sentences a stream holds whole and valid, found without the loop's
// byte machine: each "$" up to the next one is a candidate; it must have a
// "*" followed by two hex digits matching the exclusive-or of the bytes
// between "$" and "*", and be at most the loop's line-length cap long
// from "$" to those digits.
std::vector<std::string> WholeValidSentences(const std::string& stream) {
  std::vector<std::string> found;
  for (std::size_t dollar = stream.find('$'); dollar != std::string::npos;) {
    const std::size_t next = stream.find('$', dollar + 1);
    const std::string candidate = stream.substr(dollar, next == std::string::npos ? std::string::npos : next - dollar);
    dollar = next;
    const std::size_t star = candidate.find('*');
    if (star == std::string::npos || star + 3 > candidate.size() || star + 3 > AcquisitionLoop::kMaxSentenceChars) {
      continue;
    }
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(candidate[i]);
    unsigned given = 0;
    if (std::sscanf(candidate.substr(star + 1, 2).c_str(), "%2x", &given) != 1 ||
        !std::isxdigit(static_cast<unsigned char>(candidate[star + 2])) || given != sum) {
      continue;
    }
    found.push_back(candidate.substr(0, star + 3));
  }
  return found;
}

// A sentence without its line end.
std::string Text(const std::string& sentence) { return sentence.substr(0, sentence.size() - 2); }

class SentencePassOnTest : public FlightTest {
 protected:
  // What the loop passes on from `stream`, read whole or a byte at a time.
  std::vector<std::string> PassedOn(const std::string& stream, bool byteByByte = false) {
    CollectingSink sink;
    MemoryByteSource whole(stream);
    ScriptedByteSource slow;
    slow.AddBytes(stream);
    AcquisitionLoop loop(byteByByte ? static_cast<ByteSource&>(slow) : whole, window);
    loop.PassSentencesTo(&sink);
    loop.AcquisitionThreadProc();
    return sink.sentences;
  }

  RecordingWindow window;
};

TEST_F(SentencePassOnTest, OnlyWholeValidSentencesFromDollarToChecksum) {
  const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,");
  const std::string ggaText = Text(gga);
  std::string lower = ggaText;
  lower[lower.size() - 1] = static_cast<char>(std::tolower(lower.back()));
  lower[lower.size() - 2] = static_cast<char>(std::tolower(lower[lower.size() - 2]));
  const std::string longest = Sentence("PXXX," + std::string(AcquisitionLoop::kMaxSentenceChars - 9, 'a'));
  const std::string tooLong = Sentence("PXXX," + std::string(AcquisitionLoop::kMaxSentenceChars - 8, 'a'));
  const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {
      {"a sentence, its line end left off", "noise" + gga, {ggaText}},
      {"any talker, traffic and proprietary ones too",
       Sentence("PFLAU,3,1,2,1,0,,0,,") + Sentence("GNRMC,,V,,,,,,,,,,N"),
       {Text(Sentence("PFLAU,3,1,2,1,0,,0,,")), Text(Sentence("GNRMC,,V,,,,,,,,,,N"))}},
      {"the checksum's digits as they came", lower + "\r\n", {lower}},
      {"what follows the checksum is dropped", ggaText + "GARBAGE*12\r\n", {ggaText}},
      {"a wrong checksum", ggaText.substr(0, ggaText.size() - 1) + "0\r\n", {}},
      {"no checksum", "$GPGGA,123519,4807.038,N\r\n", {}},
      {"cut short in the checksum by the next sentence", ggaText.substr(0, ggaText.size() - 1) + gga, {ggaText}},
      {"a \"$\" drops the open sentence", "$GPGGA,1235" + gga, {ggaText}},
      {"at the line-length cap, and one over it", longest + tooLong, {Text(longest)}},
  };
  for (const auto& [legend, stream, expected] : cases) {
    EXPECT_EQ(PassedOn(stream), expected) << legend;
    EXPECT_EQ(PassedOn(stream, true), expected) << legend << ", a byte at a time";
    EXPECT_EQ(WholeValidSentences(stream), expected) << legend << ", the reference";
  }
}

TEST_F(SentencePassOnTest, RecordingsWithDamagedLinesPassOnExactlyTheirWholeValidSentences) {
  SKIP_WITHOUT_RECORDINGS();
  for (const char* name : {"receiver-coldboot-torture.nmea", "glider-flarm-capture.nmea",
                           "receiver-southern-hemisphere.nmea", "receiver-western-hemisphere.nmea"}) {
    const std::string stream = ReadFileBytes(RecordingPath(name));
    ASSERT_FALSE(stream.empty()) << name;
    const std::vector<std::string> expected = WholeValidSentences(stream);
    EXPECT_EQ(PassedOn(stream), expected) << name;
    EXPECT_GT(expected.size(), 20u) << name;
  }
  // Of the cold boot's sentences (wrong and missing checksums, cut short,
  // run together) more than forty are not passed on.
  const std::string torture = ReadFileBytes(RecordingPath("receiver-coldboot-torture.nmea"));
  EXPECT_GE(static_cast<std::size_t>(std::count(torture.begin(), torture.end(), '$')),
            WholeValidSentences(torture).size() + 40);
}

}  // namespace
