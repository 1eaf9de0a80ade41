// SHA-256 and CRC-16/ARC against published check values; the trace record layout and the
// driver trace's bounds, appends and switch.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/Crc16.h"
#include "base/Hex.h"
#include "simdev/Digest.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "tests/support/TempFolder.h"

namespace {

std::span<const std::uint8_t> Span(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(Sha256, PublishedVectors) {
  auto hex = [](const std::string& s) {
    auto d = simdev::Sha256(Span(s));
    return base::BytesToHex({d.data(), d.size()});
  };
  EXPECT_EQ(hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
  EXPECT_EQ(hex(std::string(1000000, 'a')),
            "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

TEST(Crc16Arc, CheckValue) {
  EXPECT_EQ(base::Crc16Arc(Span("123456789")), 0xBB3D);
  EXPECT_EQ(base::Crc16Arc(Span("")), 0x0000);
  // Feeding in two parts gives the same as one.
  EXPECT_EQ(base::Crc16Arc(Span("6789"), base::Crc16Arc(Span("12345"))), 0xBB3D);
}

TEST(TraceRecord, LayoutByteForByte) {
  simdev::trace::Record r;
  r.kind = simdev::trace::kFrameSent;
  r.flags = simdev::trace::kKeyMasked;
  r.model = 8343;
  r.port = 0x0103;
  r.status = 0x0605;
  r.sequence = 0x0A090807;
  r.data = {0xF5, 0x70};
  EXPECT_EQ(simdev::trace::Encode(r),
            (std::vector<std::uint8_t>{0x01, 0x01, 0x97, 0x20, 0x03, 0x01, 0x05, 0x06, 0x07, 0x08,
                                       0x09, 0x0A, 0x02, 0x00, 0x00, 0x00, 0xF5, 0x70}));
  auto back = simdev::trace::Decode(simdev::trace::Encode(r));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].sequence, r.sequence);
  EXPECT_EQ(back[0].data, r.data);
}

TEST(TraceRecord, DecodeStopsAtADamagedTail) {
  simdev::trace::Record r;
  r.data = {1, 2, 3};
  std::vector<std::uint8_t> bytes = simdev::trace::Encode(r);
  bytes.insert(bytes.end(),
               {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0});  // claims 65535 bytes
  EXPECT_EQ(simdev::trace::Decode(bytes).size(), 1u);
  EXPECT_TRUE(simdev::trace::Decode(std::vector<std::uint8_t>(15, 0)).empty());
}

TEST(DriverTrace, RecordsAreNumberedAndTheOldestDroppedBeyondTheCapacity) {
  support::TempFolder dir;
  simdev::trace::Record r;
  r.kind = simdev::trace::kAnswerReturned;
  r.data.assign(1000, 0x41);
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(simdev::trace::Append(dir.Str(), "WNT43PDD", r));
  std::vector<std::uint8_t> bytes = simdev::trace::Read(dir.Str(), "WNT43PDD");
  EXPECT_LE(bytes.size(), simdev::trace::kCapacity);
  auto records = simdev::trace::Decode(bytes);
  ASSERT_EQ(records.size(), simdev::trace::kCapacity / 1016);
  EXPECT_EQ(records.back().sequence, 40u);
  EXPECT_EQ(records.front().sequence, 40u - records.size() + 1);
  EXPECT_TRUE(simdev::trace::Read(dir.Str(), "WNT4XPDD").empty());  // the other driver's own
}

TEST(DriverTrace, ReadGivesTheNewestRecordsWithinTheCapacityAfterEveryAppend) {
  namespace trace = simdev::trace;
  support::TempFolder dir;
  // Records of every length from none to beyond kMaxRecordData, many times what a trace
  // keeps, each as Read must give it back.
  std::vector<std::vector<std::uint8_t>> stored;
  std::vector<std::uint8_t> newest;
  std::size_t appended = 0;
  for (std::uint32_t i = 0; appended <= 5 * trace::kCapacity; ++i) {
    trace::Record r;
    r.kind = trace::kCall;
    r.port = static_cast<std::uint16_t>(i);
    r.data.assign((i * 97) % (trace::kMaxRecordData + 200), static_cast<std::uint8_t>(i));
    appended += trace::kHeaderSize + r.data.size();
    ASSERT_TRUE(trace::Append(dir.Str(), trace::kDriver43, r));
    r.sequence = i + 1;
    if (r.data.size() > trace::kMaxRecordData) {
      r.data.resize(trace::kMaxRecordData);
      r.flags |= trace::kDataCut;
    }
    stored.push_back(trace::Encode(r));

    newest.clear();
    for (auto it = stored.rbegin();
         it != stored.rend() && newest.size() + it->size() <= trace::kCapacity; ++it)
      newest.insert(newest.begin(), it->begin(), it->end());
    ASSERT_EQ(trace::Read(dir.Str(), trace::kDriver43), newest) << "after record " << i + 1;
  }
  EXPECT_EQ(trace::ReadActive(dir.Str(), trace::kDriver43), newest);  // what PddTrace hands out
}

TEST(DriverTrace, AnAppendAfterADamagedTailLeavesEveryRecordReadable) {
  namespace trace = simdev::trace;
  support::TempFolder dir;
  trace::Record r;
  r.data = {1, 2, 3};
  ASSERT_TRUE(trace::Append(dir.Str(), trace::kDriver4X, r));
  ASSERT_TRUE(trace::Append(dir.Str(), trace::kDriver4X, r));
  {
    // A write cut short: a header whose data never came.
    std::ofstream file(dir.File(trace::TraceFileName(trace::kDriver4X)),
                       std::ios::binary | std::ios::app);
    std::vector<std::uint8_t> header = trace::Encode(r);
    file.write(reinterpret_cast<const char*>(header.data()), trace::kHeaderSize);
  }
  for (std::uint32_t last = 3; last <= 4; ++last) {
    ASSERT_TRUE(trace::Append(dir.Str(), trace::kDriver4X, r));
    auto records = trace::Decode(trace::Read(dir.Str(), trace::kDriver4X));
    ASSERT_EQ(records.size(), last);
    for (std::uint32_t i = 0; i < last; ++i) EXPECT_EQ(records[i].sequence, i + 1);
  }
}

TEST(DriverTrace, LongDataIsCutAndFlagged) {
  support::TempFolder dir;
  simdev::trace::Record r;
  r.data.assign(5000, 1);
  simdev::trace::Append(dir.Str(), "WNT4XPDD", r);
  auto records = simdev::trace::Decode(simdev::trace::Read(dir.Str(), "WNT4XPDD"));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].data.size(), simdev::trace::kMaxRecordData);
  EXPECT_TRUE(records[0].flags & simdev::trace::kDataCut);
}

TEST(DriverTrace, SwitchedOffRecordsNothingAndEachDriverHasItsOwnSwitch) {
  support::TempFolder dir;
  EXPECT_TRUE(simdev::trace::IsTracing(dir.Str(), "WNT43PDD"));  // on until switched off
  ASSERT_TRUE(simdev::trace::SetTracing(dir.Str(), "WNT43PDD", false));
  EXPECT_FALSE(simdev::trace::IsTracing(dir.Str(), "WNT43PDD"));
  EXPECT_TRUE(simdev::trace::IsTracing(dir.Str(), "WNT4XPDD"));
  simdev::trace::Append(dir.Str(), "WNT43PDD", simdev::trace::Record{});
  EXPECT_TRUE(simdev::trace::Read(dir.Str(), "WNT43PDD").empty());
  simdev::trace::SetTracing(dir.Str(), "WNT43PDD", true);
  simdev::trace::Append(dir.Str(), "WNT43PDD", simdev::trace::Record{});
  EXPECT_EQ(simdev::trace::Read(dir.Str(), "WNT43PDD").size(), simdev::trace::kHeaderSize);
  EXPECT_TRUE(simdev::trace::Clear(dir.Str(), "WNT43PDD"));
  EXPECT_TRUE(simdev::trace::Read(dir.Str(), "WNT43PDD").empty());
  EXPECT_STREQ(simdev::trace::DriverForModel("8343"), "WNT43PDD");
  EXPECT_STREQ(simdev::trace::DriverForModel("8342"), "WNT4XPDD");
}

}  // namespace
