// Driver traces of the emulated devices.
#include "simdev/Trace.h"

#include <cstdio>
#include <filesystem>

#include "base/Hex.h"
#include "base/LittleEndian.h"
#include "base/PlainFile.h"
#include "simdev/State.h"

namespace simdev::trace {

namespace {

constexpr char kSettingsFile[] = "simdev.cfg";

using base::Get16;
using base::Get32;
using base::Put16;

constexpr std::size_t kMaxTraceFileSize = 4 * kCapacity;
// Append adds records at the end of the file until it would grow past this, then keeps only
// the newest kCapacity bytes: the file stays within what a reader reads whole, and each
// rewrite comes after at least kCapacity bytes of plain appends.
constexpr std::size_t kCompactAt = 2 * kCapacity;
static_assert(kCompactAt <= kMaxTraceFileSize);

// The size of the whole record at `at` (header and data), or 0 when the bytes from `at` hold
// none: past the last record, or a damaged tail.
std::size_t WholeRecordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (bytes.size() - at < kHeaderSize) return 0;
  const std::size_t n = Get16(bytes.data() + at + 12);
  return bytes.size() - at - kHeaderSize < n ? 0 : kHeaderSize + n;
}

// A trace file's bytes, none when it cannot be read or is too large to read whole.
std::vector<std::uint8_t> ReadTrace(const std::string& path, base::ReadResult* read) {
  std::string text;
  *read = base::ReadPlainFile(path, kMaxTraceFileSize, &text);
  if (*read != base::ReadResult::kOk) return {};
  return {text.begin(), text.end()};
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

// The whole records of `bytes` (up to tail.end) and the stored record `one` after them, the
// oldest dropped beyond kCapacity.
std::vector<std::uint8_t> Rewritten(std::span<const std::uint8_t> bytes, const Tail& tail,
                                    std::span<const std::uint8_t> one) {
  std::vector<std::uint8_t> all(bytes.begin(),
                                bytes.begin() + static_cast<std::ptrdiff_t>(tail.end));
  all.insert(all.end(), one.begin(), one.end());
  return LatestRecords(all);
}

bool IsMissing(const std::string& path) {
  std::error_code ec;
  return std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found;
}

}  // namespace

const char* DriverForModel(const std::string& model) {
  return model == "8343" ? kDriver43 : kDriver4X;
}

bool IsDriver(const std::string& name) { return name == kDriver43 || name == kDriver4X; }

std::string TraceFileName(const std::string& driver) { return driver + ".TRC"; }

std::vector<std::uint8_t> Encode(const Record& r) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + r.data.size());
  out.push_back(r.kind);
  out.push_back(r.flags);
  Put16(out, r.model);
  Put16(out, r.port);
  Put16(out, r.status);
  base::Put32(out, r.sequence);
  Put16(out, static_cast<std::uint16_t>(r.data.size()));
  Put16(out, 0);
  out.insert(out.end(), r.data.begin(), r.data.end());
  return out;
}

std::vector<Record> Decode(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records;
  for (std::size_t at = 0, size; (size = WholeRecordAt(bytes, at)) != 0; at += size) {
    const std::uint8_t* p = bytes.data() + at;
    records.push_back({.kind = p[0],
                       .flags = p[1],
                       .model = Get16(p + 2),
                       .port = Get16(p + 4),
                       .status = Get16(p + 6),
                       .sequence = Get32(p + 8),
                       .data = {p + kHeaderSize, p + size}});
  }
  return records;
}

std::vector<std::uint8_t> LatestRecords(std::span<const std::uint8_t> bytes) {
  const std::size_t end = WalkHeaders(bytes).end;
  std::size_t first = 0;
  while (end - first > kCapacity) first += WholeRecordAt(bytes, first);
  const std::span<const std::uint8_t> newest = bytes.subspan(first, end - first);
  std::vector<std::uint8_t> kept(newest.begin(), newest.end());
  // Each header's last word is written as zero, whatever the file held there.
  for (std::size_t at = 0; at < kept.size(); at += WholeRecordAt(kept, at))
    kept[at + 14] = kept[at + 15] = 0;
  return kept;
}

std::vector<std::uint8_t> AppendRecord(std::span<const std::uint8_t> bytes, Record record) {
  const Tail tail = WalkHeaders(bytes);
  return Rewritten(bytes, tail, Stored(std::move(record), tail.last));
}

bool IsTracing(const std::string& dir, const std::string& driver) {
  KeyValues settings;
  if (LoadKeyValues(JoinPath(dir, kSettingsFile), &settings) != LoadResult::kOk) return true;
  return Get(settings, "trace." + driver) != "off";
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
  base::ReadResult read;
  const std::vector<std::uint8_t> bytes = ReadTrace(path, &read);  // as empty, as Read reads it
  // The headers are walked once per record added: this runs for every call a device carries.
  const Tail tail = WalkHeaders(bytes);
  const std::vector<std::uint8_t> one = Stored(std::move(record), tail.last);
  // A damaged tail is a write cut short, which would hide every record added after it.
  if (read != base::ReadResult::kTooLarge && tail.end == bytes.size() &&
      bytes.size() + one.size() <= kCompactAt) {
    base::File out(std::fopen(path.c_str(), "ab"));
    if (!out) return false;
    // A reader meanwhile sees the record whole or as a damaged tail, which it leaves out.
    const bool written = std::fwrite(one.data(), 1, one.size(), out.get()) == one.size();
    return std::fclose(out.release()) == 0 && written;
  }
  const std::vector<std::uint8_t> newest = Rewritten(bytes, tail, one);
  return base::WriteWholeFile(path, {reinterpret_cast<const char*>(newest.data()), newest.size()});
}

std::vector<std::uint8_t> Read(const std::string& dir, const std::string& driver) {
  base::ReadResult read;
  return LatestRecords(ReadTrace(JoinPath(dir, TraceFileName(driver)), &read));
}

std::optional<std::vector<std::uint8_t>> ReadActive(const std::string& dir,
                                                    const std::string& driver) {
  std::error_code ec;
  if (!IsDriver(driver) || !std::filesystem::is_directory(dir, ec)) return std::nullopt;
  // The settings are read by IsTracing; here it is only seen that they can be.
  const std::string settings = JoinPath(dir, kSettingsFile);
  if (!IsMissing(settings) && !base::OpenPlainFile(settings, false)) return std::nullopt;
  if (!IsTracing(dir, driver)) return std::nullopt;
  const std::string path = JoinPath(dir, TraceFileName(driver));
  base::ReadResult read = base::ReadResult::kOk;
  const auto trace = IsMissing(path) ? std::vector<std::uint8_t>() : ReadTrace(path, &read);
  if (read != base::ReadResult::kOk) return std::nullopt;
  return LatestRecords(trace);
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
  if (r.kind == kDownload) return line.append(" ").append(r.data.begin(), r.data.end());
  // A blank before each byte, where BytesToHexText puts one after each.
  const std::string bytes = base::BytesToHexText(r.data);
  if (!bytes.empty()) line.append(" ").append(bytes, 0, bytes.size() - 1);
  return line;
}

}  // namespace simdev::trace
