// Driver traces of the emulated devices.
#include "simdev/Trace.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/Hex.h"
#include "base/PlainFile.h"
#include "simdev/State.h"

namespace simdev::trace {

namespace {

constexpr char kSettingsFile[] = "simdev.cfg";

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::size_t kMaxTraceFileSize = 4 * kCapacity;
// Append adds records at the end of the file until it would grow past this, then keeps only
// the newest kCapacity bytes: the file stays within what a reader reads whole, and each
// rewrite comes after at least kCapacity bytes of plain appends.
constexpr std::size_t kCompactAt = 2 * kCapacity;
static_assert(kCompactAt <= kMaxTraceFileSize);

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}
std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The size of the whole record at `at` (header and data), or 0 when the bytes from `at` hold
// none: past the last record, or a damaged tail.
std::size_t WholeRecordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (bytes.size() - at < kHeaderSize) return 0;
  const std::size_t n = Get16(bytes.data() + at + 12);
  return bytes.size() - at - kHeaderSize < n ? 0 : kHeaderSize + n;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::string text;
  if (base::ReadPlainFile(path, kMaxTraceFileSize, &text) != base::ReadResult::kOk) return {};
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool IsMissing(const std::string& path) {
  std::error_code ec;
  return std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found;
}

}  // namespace

const char* DriverForModel(const std::string& model) {
  return model == "8343" ? kDriver43 : kDriver4X;
}

std::string TraceFileName(const std::string& driver) { return driver + ".TRC"; }

std::vector<std::uint8_t> Encode(const Record& r) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + r.data.size());
  out.push_back(r.kind);
  out.push_back(r.flags);
  Put16(out, r.model);
  Put16(out, r.port);
  Put16(out, r.status);
  Put16(out, static_cast<std::uint16_t>(r.sequence));
  Put16(out, static_cast<std::uint16_t>(r.sequence >> 16));
  Put16(out, static_cast<std::uint16_t>(r.data.size()));
  Put16(out, 0);
  out.insert(out.end(), r.data.begin(), r.data.end());
  return out;
}

std::vector<Record> Decode(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records;
  for (std::size_t at = 0, size; (size = WholeRecordAt(bytes, at)) != 0; at += size) {
    const std::uint8_t* p = bytes.data() + at;
    Record r;
    r.kind = p[0];
    r.flags = p[1];
    r.model = Get16(p + 2);
    r.port = Get16(p + 4);
    r.status = Get16(p + 6);
    r.sequence = Get32(p + 8);
    r.data.assign(p + kHeaderSize, p + size);
    records.push_back(std::move(r));
  }
  return records;
}

namespace {

// The records from `first` on, encoded one after the other.
std::vector<std::uint8_t> EncodeFrom(const std::vector<Record>& records, std::size_t first) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = first; i < records.size(); ++i) {
    std::vector<std::uint8_t> one = Encode(records[i]);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

// Where a trace file's whole records end and the sequence number of the last of them (0 when
// there is none), from their headers alone.
struct Tail {
  std::size_t end = 0;
  std::uint32_t last = 0;
};
Tail WalkHeaders(std::span<const std::uint8_t> bytes) {
  Tail tail;
  for (std::size_t size; (size = WholeRecordAt(bytes, tail.end)) != 0; tail.end += size)
    tail.last = Get32(bytes.data() + tail.end + 8);
  return tail;
}

// `record` as it is stored after the record numbered `last`: numbered next, its data cut to
// kMaxRecordData and flagged so when longer, encoded.
std::vector<std::uint8_t> Stored(Record record, std::uint32_t last) {
  if (record.data.size() > kMaxRecordData) {
    record.data.resize(kMaxRecordData);
    record.flags |= kDataCut;
  }
  record.sequence = last + 1;
  return Encode(record);
}

// The whole records of `bytes` (up to tail.end) and `one` after them, the oldest dropped
// beyond kCapacity.
std::vector<std::uint8_t> Compacted(std::span<const std::uint8_t> bytes, const Tail& tail,
                                    std::span<const std::uint8_t> one) {
  std::vector<std::uint8_t> all(bytes.begin(),
                                bytes.begin() + static_cast<std::ptrdiff_t>(tail.end));
  all.insert(all.end(), one.begin(), one.end());
  return LatestRecords(all);
}

}  // namespace

std::vector<std::uint8_t> LatestRecords(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records = Decode(bytes);
  std::size_t total = 0, first = records.size();
  while (first > 0 && total + kHeaderSize + records[first - 1].data.size() <= kCapacity) {
    --first;
    total += kHeaderSize + records[first].data.size();
  }
  return EncodeFrom(records, first);
}

std::vector<std::uint8_t> AppendRecord(std::span<const std::uint8_t> bytes, Record record) {
  const Tail tail = WalkHeaders(bytes);
  return Compacted(bytes, tail, Stored(std::move(record), tail.last));
}

bool IsTracing(const std::string& dir, const std::string& driver) {
  KeyValues settings;
  if (LoadKeyValues(JoinPath(dir, kSettingsFile), &settings) != LoadResult::kOk) return true;
  auto it = settings.find("trace." + driver);
  return it == settings.end() || it->second != "off";
}

bool SetTracing(const std::string& dir, const std::string& driver, bool on) {
  std::string path = JoinPath(dir, kSettingsFile);
  KeyValues settings;
  if (LoadKeyValues(path, &settings) == LoadResult::kMalformed) settings.clear();
  settings["trace." + driver] = on ? "on" : "off";
  return SaveKeyValues(path, settings, "simdev settings");
}

bool Append(const std::string& dir, const std::string& driver, Record record) {
  if (!IsTracing(dir, driver)) return true;
  const std::string path = JoinPath(dir, TraceFileName(driver));
  std::string file;
  const base::ReadResult read = base::ReadPlainFile(path, kMaxTraceFileSize, &file);
  if (read != base::ReadResult::kOk) file.clear();  // read as empty, as Read reads it
  const std::span<const std::uint8_t> bytes = AsBytes(file);
  const Tail tail = WalkHeaders(bytes);
  const std::vector<std::uint8_t> one = Stored(std::move(record), tail.last);
  // The record is added at the end of the file, unless the file would grow past kCompactAt,
  // ends in a damaged tail (a write cut short, which would hide every record after it), or
  // is too large to read (it reads as empty): then it is rewritten with its newest records.
  if (read != base::ReadResult::kTooLarge && tail.end == bytes.size() &&
      bytes.size() + one.size() <= kCompactAt) {
    base::File out(std::fopen(path.c_str(), "ab"));
    if (!out) return false;
    // A reader meanwhile sees the record whole or as a damaged tail, which it leaves out.
    const bool written = std::fwrite(one.data(), 1, one.size(), out.get()) == one.size();
    return std::fclose(out.release()) == 0 && written;
  }
  return base::WriteWholeFile(path, AsText(Compacted(bytes, tail, one)));
}

std::vector<std::uint8_t> Read(const std::string& dir, const std::string& driver) {
  return LatestRecords(ReadFile(JoinPath(dir, TraceFileName(driver))));
}

std::optional<std::vector<std::uint8_t>> ReadActive(const std::string& dir,
                                                    const std::string& driver) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return std::nullopt;
  // The settings are read by IsTracing; here it is only seen that they can be.
  const std::string settings = JoinPath(dir, kSettingsFile);
  if (!IsMissing(settings) && !base::OpenPlainFile(settings, false)) return std::nullopt;
  if (!IsTracing(dir, driver)) return std::nullopt;
  const std::string path = JoinPath(dir, TraceFileName(driver));
  std::string trace;
  if (!IsMissing(path) &&
      base::ReadPlainFile(path, kMaxTraceFileSize, &trace) != base::ReadResult::kOk)
    return std::nullopt;
  return LatestRecords(AsBytes(trace));
}

bool Clear(const std::string& dir, const std::string& driver) {
  std::error_code ec;
  std::filesystem::remove(JoinPath(dir, TraceFileName(driver)), ec);
  return !ec;
}

std::string Describe(const Record& r) {
  static const char* kinds[] = {"?", "sent", "answer", "download", "call", "line"};
  char head[96];
  std::snprintf(head, sizeof head, "#%u COM%u %u %s status=%u%s%s:", r.sequence, r.port, r.model,
                r.kind < std::size(kinds) ? kinds[r.kind] : "?", r.status,
                (r.flags & kKeyMasked) ? " (key masked)" : "",
                (r.flags & kDataCut) ? " (cut)" : "");
  std::string line = head;
  if (r.kind == kDownload) {
    line += " ";
    line.append(r.data.begin(), r.data.end());
  } else {
    for (std::uint8_t b : r.data) {
      line += ' ';
      line += base::BytesToHex({&b, 1});
    }
  }
  return line;
}

}  // namespace simdev::trace
