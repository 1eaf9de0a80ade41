// libFuzzer target: the port drivers' trace files (simdev/Trace.h), as PddTrace and the simdev
// command read them and as every traced call adds to them. The first byte chooses, the rest
// is a trace file's bytes. On every input:
//   - Decode takes whole records in place (each one encoded again is the bytes at its offset,
//     the reserved word aside), stops only at a tail that holds no whole record, and the
//     records can be described;
//   - LatestRecords (what Read and PddTrace give) keeps the newest records within kCapacity,
//     and AppendRecord (what Append writes) adds a record (of twice the input) numbered after
//     the last, cut to kMaxRecordData and flagged so, and drops the oldest beyond kCapacity;
//   - with an odd first byte both also on the bytes' whole records repeated past kCapacity,
//     so that the oldest records are dropped (records of 512 bytes on average or more, so
//     that a run stays short), and there both keep exactly kCapacity bytes when a last
//     record makes the newest ones that much.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "simdev/Trace.h"
#include "tests/support/Broken.h"

namespace {

namespace trace = simdev::trace;
using Bytes = std::vector<std::uint8_t>;

using support::Broken;

std::size_t Size(const trace::Record& r) { return trace::kHeaderSize + r.data.size(); }

// Decodes and checks the records against the bytes they came from.
std::vector<trace::Record> DecodeChecked(std::span<const std::uint8_t> bytes) {
  std::vector<trace::Record> records = trace::Decode(bytes);
  std::size_t at = 0;
  for (const trace::Record& r : records) {
    Bytes encoded = trace::Encode(r);
    if (encoded.size() != Size(r) || bytes.size() - at < encoded.size())
      Broken("a record longer than the bytes it came from");
    // The reserved word (offset 14) is written as zero.
    const std::uint8_t* from = bytes.data() + at;
    if (std::memcmp(encoded.data(), from, 14) != 0 || encoded[14] != 0 || encoded[15] != 0 ||
        std::memcmp(encoded.data() + 16, from + 16, encoded.size() - 16) != 0)
      Broken("a record encodes to other bytes than it came from");
    // Described as the simdev command lists it (the shorter ones: a line costs a string per
    // data byte).
    if (r.data.size() <= 64) {
      std::string line = trace::Describe(r);
      if (line.size() < 2 || line[0] != '#') Broken("a record without its description");
    }
    at += encoded.size();
  }
  std::size_t rest = bytes.size() - at;
  if (rest >= trace::kHeaderSize &&
      static_cast<std::size_t>(bytes[at + 12] | bytes[at + 13] << 8) <= rest - trace::kHeaderSize)
    Broken("decoding stopped before a whole record");
  return records;
}

// The bytes of the records [first, end) of `file` (starting at `starts`) as they are written
// again: the same, with the reserved word zero.
Bytes Rewritten(const Bytes& file, const std::vector<std::size_t>& starts, std::size_t first) {
  std::size_t end = starts.back();
  Bytes out(file.begin() + static_cast<std::ptrdiff_t>(starts[first]),
            file.begin() + static_cast<std::ptrdiff_t>(end));
  for (std::size_t i = first; i + 1 < starts.size(); ++i) {
    out[starts[i] - starts[first] + 14] = 0;
    out[starts[i] - starts[first] + 15] = 0;
  }
  return out;
}

// The trace file `file`, read and added to. `starts` are where its whole records start, and
// where the last one ends; `last` is the sequence number of the last one.
void ReadAndAppend(const Bytes& file, const std::vector<std::size_t>& starts, std::uint32_t last,
                   const Bytes& input, bool edge) {
  const std::size_t records = starts.size() - 1, end = starts.back();
  // The newest records within kCapacity.
  std::size_t first = records;
  while (first > 0 && end - starts[first - 1] <= trace::kCapacity) --first;
  if (trace::LatestRecords(file) != Rewritten(file, starts, first))
    Broken("LatestRecords does not give the newest records within kCapacity");

  trace::Record record;
  record.kind = trace::kCall;
  record.model = 8342;
  record.port = 2;
  record.sequence = 77;  // numbered by AppendRecord, whatever it holds
  // Twice the input, so that inputs of more than half kMaxRecordData are cut.
  record.data = input;
  record.data.insert(record.data.end(), input.begin(), input.end());
  Bytes appended = trace::AppendRecord(file, record);

  // What it must be: the newest records that fit with the new one, then the new one.
  trace::Record expected = record;
  expected.sequence = records == 0 ? 1 : last + 1;
  if (expected.data.size() > trace::kMaxRecordData) {
    expected.data.resize(trace::kMaxRecordData);
    expected.flags |= trace::kDataCut;
  }
  std::size_t drop = 0;
  while (drop < records && end - starts[drop] + Size(expected) > trace::kCapacity) ++drop;
  Bytes want = Rewritten(file, starts, drop);
  Bytes one = trace::Encode(expected);
  want.insert(want.end(), one.begin(), one.end());
  if (appended != want) Broken("AppendRecord does not add the record after the newest ones");
  if (appended.size() > trace::kCapacity) Broken("AppendRecord gives more than kCapacity");

  // At the edge: a record whose data makes it and the newest records that fit with it exactly
  // kCapacity, the most that is kept. As the file's last record it is kept with them by
  // LatestRecords; appended (when it needs no cut) it is kept with them by AppendRecord.
  if (!edge) return;
  std::size_t keep = 0;
  while (end - starts[keep] + trace::kHeaderSize > trace::kCapacity) ++keep;
  const std::size_t fill = trace::kCapacity - (end - starts[keep]) - trace::kHeaderSize;
  if (fill > 0xFFFF) return;  // a record's data has a 16-bit length
  trace::Record filler = expected;
  filler.flags = 0;
  filler.data.assign(fill, input.empty() ? 0x5A : input[0]);
  Bytes file2(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(end));  // no damaged tail
  Bytes encoded = trace::Encode(filler);
  file2.insert(file2.end(), encoded.begin(), encoded.end());
  std::vector<std::size_t> starts2 = starts;
  starts2.push_back(file2.size());
  Bytes kept2 = trace::LatestRecords(file2);
  if (kept2.size() != trace::kCapacity || kept2 != Rewritten(file2, starts2, keep))
    Broken("LatestRecords does not keep records of exactly kCapacity");
  if (fill > trace::kMaxRecordData) return;
  Bytes appended2 = trace::AppendRecord(file, filler);
  Bytes want2 = Rewritten(file, starts, keep);
  want2.insert(want2.end(), encoded.begin(), encoded.end());
  if (appended2 != want2) Broken("AppendRecord does not keep records of exactly kCapacity");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool repeat = data[0] % 2 == 1;
  const Bytes input(data + 1, data + size);
  const std::vector<trace::Record> records = DecodeChecked(input);
  std::vector<std::size_t> starts{0};
  for (const trace::Record& r : records) starts.push_back(starts.back() + Size(r));
  const std::uint32_t last = records.empty() ? 0 : records.back().sequence;
  ReadAndAppend(input, starts, last, input, false);

  // Only the whole records repeat (a damaged tail would end the decoding at its first copy),
  // and only records of 512 bytes on average, so that a run handles at most some 65 records.
  const std::size_t whole = starts.back();
  if (repeat && !records.empty() && whole / records.size() >= 512) {
    Bytes file;
    std::vector<std::size_t> all{0};
    while (file.size() <= trace::kCapacity) {
      file.insert(file.end(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(whole));
      for (std::size_t i = 1; i < starts.size(); ++i)
        all.push_back(all.back() + starts[i] - starts[i - 1]);
    }
    ReadAndAppend(file, all, last, input, true);
  }
  return 0;
}
