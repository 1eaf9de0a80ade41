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
  std::size_t at = 0;
  while (bytes.size() - at >= kHeaderSize) {
    const std::uint8_t* p = bytes.data() + at;
    std::size_t n = Get16(p + 12);
    if (bytes.size() - at - kHeaderSize < n) break;
    Record r;
    r.kind = p[0];
    r.flags = p[1];
    r.model = Get16(p + 2);
    r.port = Get16(p + 4);
    r.status = Get16(p + 6);
    r.sequence = Get32(p + 8);
    r.data.assign(p + kHeaderSize, p + kHeaderSize + n);
    records.push_back(std::move(r));
    at += kHeaderSize + n;
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
  std::vector<Record> records = Decode(bytes);
  if (record.data.size() > kMaxRecordData) {
    record.data.resize(kMaxRecordData);
    record.flags |= kDataCut;
  }
  record.sequence = records.empty() ? 1 : records.back().sequence + 1;
  records.push_back(std::move(record));
  std::size_t total = 0;
  for (const Record& r : records) total += kHeaderSize + r.data.size();
  std::size_t drop = 0;
  while (total > kCapacity) total -= kHeaderSize + records[drop++].data.size();
  return EncodeFrom(records, drop);
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
  std::string path = JoinPath(dir, TraceFileName(driver));
  std::vector<std::uint8_t> bytes = AppendRecord(ReadFile(path), std::move(record));
  return base::WriteWholeFile(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
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
  return LatestRecords(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(trace.data()), trace.size()));
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
