// The port drivers' traces of the emulated devices' exchanges, kept in the state directory
// (one file per driver, <DRIVER>.TRC) and read back by the drivers' PddTrace.
//
// A trace is a sequence of records, oldest first, laid out as README.md's **Traces.** table
// has it; sequence numbers count up by one per record of the driver, and other kinds than
// these are reserved. A driver hands out only its newest records, at most kCapacity bytes in
// all, so a trace always fits the 32768-byte buffer of PddTrace.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace simdev::trace {

inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kCapacity = 32768;
inline constexpr std::size_t kMaxRecordData = 1024;

// A record's kind, and what its data holds.
enum Kind : std::uint8_t {
  kFrameSent = 1,       // the frame sent to the device
  kAnswerReturned = 2,  // the answer returned by the device
  kDownload = 3,        // the application's HEX file name
  kCall = 4,            // the library call's bytes (devices without frames)
  kLineEvent = 5        // the LineEvent and the frame's u16 sequence number
};
// What happened on the serial line (simdev/Line.h) beside the calls it carried.
enum LineEvent : std::uint8_t {
  kRepeated = 1,    // a request came again (a retry) and was answered from memory
  kRefused = 2,     // a garbled frame came and was refused
  kDropped = 3,     // a request was lost on the way (scripted)
  kGarbled = 4,     // an answer went out garbled (scripted)
  kAnswerLost = 5,  // an answer was lost on the way back (scripted)
  kHeldBack = 6,    // an answer was held back (scripted delay)
  kUnplugged = 7,   // nothing answered: the device is unplugged (scripted)
};
enum Flags : std::uint8_t { kKeyMasked = 0x01, kDataCut = 0x02 };

struct Record {
  std::uint8_t kind = 0;
  std::uint8_t flags = 0;
  std::uint16_t model = 0;
  std::uint16_t port = 0;
  std::uint16_t status = 0;
  std::uint32_t sequence = 0;
  std::vector<std::uint8_t> data;
};

// The drivers: WNT43PDD carries the 8343's exchanges, WNT4XPDD those of the 8341/8342 family.
inline constexpr char kDriver43[] = "WNT43PDD";
inline constexpr char kDriver4X[] = "WNT4XPDD";
const char* DriverForModel(const std::string& model);
// True for the two drivers' names, the only names a trace file is made from.
bool IsDriver(const std::string& name);

std::vector<std::uint8_t> Encode(const Record& record);
// Decodes whole records; stops at the first record that does not fit (a damaged tail).
std::vector<Record> Decode(std::span<const std::uint8_t> bytes);
// The records of a trace file's bytes that Read keeps: the newest whole records, oldest
// first, at most kCapacity bytes, each header's last word written as zero.
std::vector<std::uint8_t> LatestRecords(std::span<const std::uint8_t> bytes);
// What Append writes when it rewrites a trace file: the bytes' whole records and `record` (cut
// and flagged when its data is longer than kMaxRecordData, numbered after the last one), the
// oldest dropped beyond kCapacity, encoded.
std::vector<std::uint8_t> AppendRecord(std::span<const std::uint8_t> bytes, Record record);

// The switch, kept in the state directory's simdev.cfg as trace.<DRIVER>=on|off; on unless
// switched off.
bool IsTracing(const std::string& dir, const std::string& driver);
bool SetTracing(const std::string& dir, const std::string& driver, bool on);

// Adds a record when the driver's tracing is on, cut and numbered as AppendRecord adds it, at
// the end of the file, which may so hold more than kCapacity bytes (Read keeps to the newest
// records all the same). When the file would grow past twice kCapacity, ends in a damaged tail
// or is too large to read, it is rewritten as AppendRecord gives it.
bool Append(const std::string& dir, const std::string& driver, Record record);
// The driver's trace: LatestRecords of its file.
std::vector<std::uint8_t> Read(const std::string& dir, const std::string& driver);
// The trace that the driver's PddTrace hands out: as Read gives it, or nothing for a name that is
// no driver's (it comes off the line), when tracing is switched off or the driver cannot read
// its state (the state directory is missing or not a folder; the trace or settings file is
// there but is no readable file). A trace file that does not exist yet in a readable state
// directory is an empty trace.
std::optional<std::vector<std::uint8_t>> ReadActive(const std::string& dir,
                                                    const std::string& driver);
bool Clear(const std::string& dir, const std::string& driver);

std::string TraceFileName(const std::string& driver);  // "WNT43PDD.TRC"
// One line per record, for the simdev command.
std::string Describe(const Record& record);

}  // namespace simdev::trace
