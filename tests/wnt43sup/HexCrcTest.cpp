// The HEX file CRC: CRC-16, texts, application files of every layout and order, bad input,
// agreement with the rescanning reader, and the file-level computation.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "base/Crc16.h"
#include "tests/support/TempFolder.h"
#include "tests/wnt43sup/HexCrcOracle.h"
#include "tests/wnt43sup/HexFiles.h"
#include "wnt43sup/HexCrc.h"

using namespace wnt43sup;
using namespace hexcrc_test;
namespace fs = std::filesystem;

namespace wnt43sup {
void PrintTo(const HexCrcValues& v, std::ostream* os) {
  *os << "{beginning " << FormatBeginning(v.beginning) << ", length " << FormatLength(v.length)
      << ", CRC " << FormatCrc(v.crc) << "}";
}
void PrintTo(const HexCrcTexts& t, std::ostream* os) {
  *os << "{\"" << t.name << "\", \"" << t.beginning << "\", \"" << t.length << "\", \"" << t.crc
      << "\"}";
}
}  // namespace wnt43sup

namespace {

using Result = std::optional<HexCrcValues>;
const Result kInvalid = std::nullopt;

// Both computations on one file: the indexed one under test and the rescanning reference.
void ExpectBoth(const std::string& what, std::string_view text, const Result& expected) {
  EXPECT_EQ(ComputeHexCrc(text), expected) << what;
  EXPECT_EQ(RescanHexCrc(text), expected) << what << " (rescanning reader)";
}

// ---------------------------------------------------------------------------------------------
// CRC-16 and the texts

TEST(Crc16, CheckValueOfTheNineDigits) {
  std::uint16_t table = 0, bitwise = 0;
  for (char c : std::string_view("123456789")) {
    table = base::Crc16Update(table, static_cast<std::uint8_t>(c));
    bitwise = BitwiseCrc16Update(bitwise, static_cast<std::uint8_t>(c));
  }
  EXPECT_EQ(table, 0xBB3D);
  EXPECT_EQ(bitwise, 0xBB3D);
}

TEST(Crc16, UpdateEqualsTheBitwiseRuleForEveryByteAndEveryCrc) {
  int mismatches = 0;
  for (unsigned crc = 0; crc <= 0xFFFF; ++crc) {
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
      const auto c = static_cast<std::uint16_t>(crc);
      const auto b = static_cast<std::uint8_t>(byte);
      if (base::Crc16Update(c, b) != BitwiseCrc16Update(c, b) && ++mismatches <= 5) {
        ADD_FAILURE() << "CRC " << crc << " byte " << byte;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(HexCrcTexts, CrcBelow1000GetsOneLeadingZero) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0x1234, "1234"}, {0x0ABC, "0ABC"}, {0x00AB, "0AB"},  {0x000A, "0A"},
      {0x0000, "00"},   {0xFFFF, "FFFF"}, {0x1000, "1000"}, {0x0FFF, "0FFF"},
      {0xBEEF, "BEEF"}, {0x0100, "0100"}, {0x0010, "010"},
  };
  for (const auto& [crc, text] : cases) EXPECT_EQ(FormatCrc(crc), text) << crc;
}

TEST(HexCrcTexts, BeginningAndLength) {
  EXPECT_EQ(FormatBeginning(0x0000), "0000");
  EXPECT_EQ(FormatBeginning(0x4000), "4000");
  EXPECT_EQ(FormatBeginning(0x7000), "7000");
  const std::pair<std::uint32_t, const char*> lengths[] = {
      {0x9000, "9000"}, {0xC000, "C000"}, {0xFFFE, "FFFE"},   {0x00AB, "AB"},
      {0x000A, "A"},    {0x0000, "0"},    {0x100FD, "100FD"},
  };
  for (const auto& [length, text] : lengths) EXPECT_EQ(FormatLength(length), text) << length;
  EXPECT_EQ(FormatHexCrc("APP", {0x7000, 0x9000, 0x0ABC}),
            (HexCrcTexts{"APP", "7000", "9000", "0ABC"}));
}

TEST(HexCrcTexts, ErrorMessages) {
  EXPECT_STREQ(HexCrcErrorText(HexCrcError::kCannotOpen),
               "Generate CRC Program Error:  File can not be opened.");
  EXPECT_STREQ(HexCrcErrorText(HexCrcError::kInvalid),
               "Generate CRC Program Error:  Hex file is invalid.");
  EXPECT_STREQ(HexCrcErrorText(HexCrcError::kNone), "");
}

// ---------------------------------------------------------------------------------------------
// Application files: the expected values come from the image, not from reading the file.

const Image& TestImage() {
  static const Image image = RandomImage(4343);
  return image;
}

struct AppCase {
  std::string what;
  std::string text;
  Result expected;
};

std::string AppText(std::uint16_t beginning, std::uint32_t end, Order order,
                    const std::vector<unsigned>& sizes = {16}, std::string_view lineEnd = "\r\n") {
  std::vector<HexRecord> records = Application(TestImage(), beginning, end, sizes);
  Reorder(records, order, beginning + end);
  return HexText(records, lineEnd);
}

std::vector<AppCase> ApplicationCases() {
  const Image& image = TestImage();
  struct Layout {
    const char* what;
    std::uint16_t beginning;
    std::uint32_t end;
    HexCrcValues values;
  };
  const Layout layouts[] = {
      {"one processor, 7000 to FFFF",
       0x7000,
       0x10000,
       {0x7000, 0x9000, ImageCrc(image, 0x7000, 0x10000)}},
      {"two processors, 4000 to FFFF",
       0x4000,
       0x10000,
       {0x4000, 0xC000, ImageCrc(image, 0x4000, 0x10000)}},
      {"from 0000 with record 2 at 0020, record 1's data first",
       0x0000,
       0x3456,
       {0x0000, 0x3456, ImageCrc(image, 0x0000, 0x3456)}},
      {"64 KB from 0000, the last byte left out",
       0x0000,
       0x10000,
       {0x0000, 0xFFFE, ImageCrc(image, 0x0000, 0xFFFF)}},
      {"one processor, short application",
       0x7000,
       0x7123,
       {0x7000, 0x0123, ImageCrc(image, 0x7000, 0x7123)}},
  };
  const std::pair<Order, const char*> orders[] = {{Order::kAscending, "ascending"},
                                                  {Order::kDescending, "descending"},
                                                  {Order::kShuffled, "shuffled"}};
  const std::pair<std::vector<unsigned>, const char*> sizes[] = {
      {{16}, "16-byte records"},
      {{255}, "255-byte records"},
      {{1, 7, 16, 255, 3, 32, 100, 2}, "mixed record sizes"},
  };
  std::vector<AppCase> cases;
  for (const Layout& layout : layouts) {
    for (const auto& [order, orderName] : orders) {
      for (const auto& [size, sizeName] : sizes) {
        // The rescanning reader needs seconds for 16-byte records out of order over more
        // than 36 KB; the one-processor layout has them, the others the longer records.
        if (order != Order::kAscending && size.size() == 1 && size[0] == 16 &&
            layout.end - layout.beginning > 0x9000) {
          continue;
        }
        cases.push_back({std::string(layout.what) + ", " + orderName + ", " + sizeName,
                         AppText(layout.beginning, layout.end, order, size), layout.values});
      }
    }
    cases.push_back({std::string(layout.what) + ", LF line ends",
                     AppText(layout.beginning, layout.end, Order::kAscending, {16}, "\n"),
                     layout.values});
    cases.push_back({std::string(layout.what) + ", records without line ends",
                     AppText(layout.beginning, layout.end, Order::kShuffled, {255}, ""),
                     layout.values});
  }
  return cases;
}

class ApplicationFiles : public ::testing::TestWithParam<AppCase> {};

TEST_P(ApplicationFiles, GiveTheCrcOfTheImage) {
  const AppCase& c = GetParam();
  ExpectBoth(c.what, c.text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ApplicationFiles, ::testing::ValuesIn(ApplicationCases()),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Applications, AnyRecordTypeOrChecksumValue) {
  std::vector<HexRecord> records = Application(TestImage(), 0x7000, 0x10000);
  Reorder(records, Order::kShuffled);
  std::mt19937 random(7);
  for (HexRecord& r : records) {
    r.type = static_cast<std::uint8_t>(random());
    r.checksum = static_cast<std::uint8_t>(random());
  }
  ExpectBoth("random types and checksums", HexText(records),
             HexCrcValues{0x7000, 0x9000, ImageCrc(TestImage(), 0x7000, 0x10000)});
}

// A file with a chosen CRC: the last two bytes of the image are picked to give it.
TEST(Applications, SmallCrcsShowWithOneLeadingZero) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0x1234, "1234"}, {0x0ABC, "0ABC"}, {0x00AB, "0AB"}, {0x000A, "0A"}};
  for (const auto& [want, text] : cases) {
    Image image = TestImage();
    const std::uint16_t prefix = ImageCrc(image, 0x7000, 0xFFFE);
    bool found = false;
    for (unsigned last = 0; last <= 0xFFFF && !found; ++last) {
      std::uint16_t crc = BitwiseCrc16Update(prefix, static_cast<std::uint8_t>(last >> 8));
      crc = BitwiseCrc16Update(crc, static_cast<std::uint8_t>(last));
      if (crc == want) {
        image[0xFFFE] = static_cast<std::uint8_t>(last >> 8);
        image[0xFFFF] = static_cast<std::uint8_t>(last);
        found = true;
      }
    }
    ASSERT_TRUE(found);
    const std::string file = HexText(Application(image, 0x7000, 0x10000));
    const Result result = ComputeHexCrc(file);
    ASSERT_TRUE(result);
    EXPECT_EQ(RescanHexCrc(file), result);
    EXPECT_EQ(FormatHexCrc("APP", *result), (HexCrcTexts{"APP", "7000", "9000", text}));
  }
}

// ---------------------------------------------------------------------------------------------
// Files read the way a rescanning reader reads them, with the results worked out by hand.

// A short one-processor application: record 1 of 32 bytes at 0000, then 7000, 7010, ... .
struct Small {
  std::vector<HexRecord> records;
  Small& Add(std::uint16_t address, std::uint8_t count = 0x10, std::uint8_t type = 0) {
    HexRecord r;
    r.address = address;
    r.type = type;
    r.data.assign(TestImage().begin() + address, TestImage().begin() + address + count);
    records.push_back(r);
    return *this;
  }
  Small() { Add(0x0000, 0x20); }
  std::string Text(std::string_view lineEnd = "\r\n") const { return HexText(records, lineEnd); }
  std::string WithEnd(std::string_view lineEnd = "\r\n") const {
    return Text(lineEnd) + HexText({EndRecord()}, lineEnd);
  }
};

std::uint16_t CrcOf(std::initializer_list<const HexRecord*> taken) {
  std::uint16_t crc = 0;
  for (const HexRecord* r : taken) {
    for (std::uint8_t byte : r->data) crc = BitwiseCrc16Update(crc, byte);
  }
  return crc;
}

TEST(ReadingRules, BeginningAddressFromRecordsOneAndTwo) {
  const Image& image = TestImage();
  struct Case {
    const char* what;
    std::vector<HexRecord> records;
    Result expected;
  };
  auto rec = [&](std::uint16_t address, unsigned count) {
    return DataRecords(image, address, address + count, {count}).front();
  };
  const Case cases[] = {
      {"record 1 of 16 bytes at 0000, record 2 at 0010",
       {rec(0x0000, 16), rec(0x0010, 16), rec(0x0020, 16), EndRecord()},
       kInvalid},
      {"record 1 of 32 bytes at 0100, record 2 at 0120",
       {rec(0x0100, 32), rec(0x0120, 16), EndRecord()},
       kInvalid},
      {"record 1 of 16 bytes at 0000, record 2 at 7000",
       {rec(0x0000, 16), rec(0x7000, 16), rec(0x7010, 16), EndRecord()},
       HexCrcValues{0x7000, 0x20, ImageCrc(image, 0x7000, 0x7020)}},
      {"record 1 of 32 bytes at 0000, record 2 at 4000",
       {rec(0x0000, 32), rec(0x4000, 16), rec(0x4010, 16), EndRecord()},
       HexCrcValues{0x4000, 0x20, ImageCrc(image, 0x4000, 0x4020)}},
      {"record 1 at 4000, record 2 at 7000: record 1 is passed over",
       {rec(0x4000, 16), rec(0x7000, 16), rec(0x7010, 16), EndRecord()},
       HexCrcValues{0x7000, 0x20, ImageCrc(image, 0x7000, 0x7020)}},
      {"record 2 at 7001", {rec(0x0000, 32), rec(0x7001, 16), EndRecord()}, kInvalid},
  };
  for (const Case& c : cases) ExpectBoth(c.what, HexText(c.records), c.expected);
}

TEST(ReadingRules, RecordsOutOfPlaceAreFoundFirstInFileOrder) {
  // Record 3 at 7020 is out of place; 7010 occurs twice and the first one is taken.
  Small s;
  s.Add(0x7000).Add(0x7020).Add(0x7010).Add(0x7010);
  s.records[4].data.assign(16, 0xEE);
  const auto& r = s.records;
  ExpectBoth("first of two", s.WithEnd(), HexCrcValues{0x7000, 0x30, CrcOf({&r[1], &r[3], &r[2]})});
}

TEST(ReadingRules, TheRecordInPlaceIsTakenOverAnEarlierOneWithItsAddress) {
  // 7030 occurs at record 4 and again right after 7020 (record 6), which is in place then.
  Small s;
  s.Add(0x7000).Add(0x7010).Add(0x7030).Add(0x7020).Add(0x7030);
  s.records[5].data.assign(16, 0x5A);
  const auto& r = s.records;
  ExpectBoth("in place", s.WithEnd(),
             HexCrcValues{0x7000, 0x40, CrcOf({&r[1], &r[2], &r[4], &r[5]})});
}

TEST(ReadingRules, LengthShownComesFromTheRecordTakenLast) {
  // A count-0 record at 7010 ends the first pass with an extent of 10; the CRC then covers
  // record 2 alone, and the length shown is 7010 + 10 - 7000.
  Small s;
  s.Add(0x7000).Add(0x7010, 0).Add(0x7010);
  ExpectBoth("extent from a count-0 record", s.WithEnd(),
             HexCrcValues{0x7000, 0x20, CrcOf({&s.records[1]})});
}

TEST(ReadingRules, TheEndRecordsAddressCountsForTheExtent) {
  // The end record at 7020 becomes the highest address (the extent stays 20), so the length
  // shown is 7020 + 10 (the count of 7010, taken last) - 7000.
  Small s;
  s.Add(0x7000).Add(0x7010);
  HexRecord end = EndRecord();
  end.address = 0x7020;
  ExpectBoth("end record at 7020", s.Text() + HexText({end}),
             HexCrcValues{0x7000, 0x30, CrcOf({&s.records[1], &s.records[2]})});
  end.address = 0x7030;
  ExpectBoth("end record at 7030: a gap before it", s.Text() + HexText({end}), kInvalid);
}

TEST(ReadingRules, CrLfWhereTheTypeStandsIsOneCharacter) {
  // Read as text, CR LF is one character: the two type characters are CR LF and the first
  // data digit, so the record's 16 bytes come from the next 31 data digits and the first
  // checksum digit.
  Small s;
  s.Add(0x7000).Add(0x7010).Add(0x7020);
  std::string text = s.WithEnd();
  const std::size_t type = text.find(":107010") + 7;
  text.replace(type, 2, "\r\n");
  const std::string digits = text.substr(type + 3, 31) + text[type + 2 + 32];
  std::uint16_t crc = CrcOf({&s.records[1]});
  for (std::size_t i = 0; i < 32; i += 2) {
    crc = BitwiseCrc16Update(
        crc, static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  for (std::uint8_t byte : s.records[3].data) crc = BitwiseCrc16Update(crc, byte);
  ExpectBoth("CR LF as the type", text, HexCrcValues{0x7000, 0x30, crc});
}

TEST(ReadingRules, RecordOnePassedOverInAOneProcessorApplication) {
  // Only record 1's count and address are read; its data and checksum may be anything.
  Small s;
  s.Add(0x7000).Add(0x7010);
  std::string text = s.WithEnd();
  const Result expected = HexCrcValues{0x7000, 0x20, CrcOf({&s.records[1], &s.records[2]})};
  text.replace(9, 64, std::string(64, 'z'));
  ExpectBoth("record 1's data not digits", text, expected);
}

// A one-processor application of six records (7000 to 705F), with and without faults.
struct Mutation {
  std::string what;
  std::string text;
  Result expected;
};

std::vector<Mutation> Mutations() {
  Small s;
  for (std::uint16_t a = 0x7000; a < 0x7060; a += 0x10) s.Add(a);
  const std::string base = s.WithEnd();
  const Result ok = HexCrcValues{0x7000, 0x60, ImageCrc(TestImage(), 0x7000, 0x7060)};
  // Offsets in `base`: every line is ":LLAAAATT" + data + "CC\r\n".
  const std::size_t line1 = 1 + 8 + 64 + 4;
  const std::size_t line = 1 + 8 + 32 + 4;
  const std::size_t rec3 = line1 + line;  // the record at 7010
  const std::size_t end = line1 + 6 * line;
  auto at = [&](std::size_t pos, std::string_view with) {
    std::string t = base;
    t.replace(pos, with.size(), with);
    return t;
  };
  auto lower = [&](std::size_t pos) {
    std::string t = base;
    t[pos] = static_cast<char>(std::tolower(static_cast<unsigned char>(t[pos])));
    if (t[pos] == base[pos]) t[pos] = 'a';
    return t;
  };
  Small reversed;
  reversed.Add(0x7000);
  for (std::uint16_t a = 0x7050; a > 0x7000; a -= 0x10) reversed.Add(a);
  std::vector<Mutation> m = {
      {"unchanged", base, ok},
      {"LF line ends", s.WithEnd("\n"), ok},
      {"CR line ends", s.WithEnd("\r"), ok},
      {"descending", reversed.WithEnd(), ok},
      {"text after the end record is never read", base + ":zz\r\n", ok},
      {"Ctrl-Z after the end record", base + "\x1A", ok},
      {"text between records", at(rec3 - 2, "x#"), ok},
      {"type field not digits", at(rec3 + 7, "?#"), ok},
      {"lower-case checksum", lower(rec3 + 9 + 32), ok},
      {"lower-case type", lower(rec3 + 7), ok},
      {"lower-case count", lower(rec3 + 2), kInvalid},
      {"lower-case address", lower(rec3 + 5), kInvalid},
      {"lower-case data digit", at(rec3 + 9 + 5, "b"), kInvalid},
      {"blank data digit", at(rec3 + 9 + 5, " "), kInvalid},
      {"a ':' among the data", at(rec3 + 9 + 4, ":"), kInvalid},
      {"empty file", "", kInvalid},
      {"blank line first", "\r\n" + base, kInvalid},
      {"a blank first", " " + base, kInvalid},
      {"byte order mark first", "\xEF\xBB\xBF" + base, kInvalid},
      {"no end record", base.substr(0, end), kInvalid},
      {"ends inside the end record's address", base.substr(0, end + 4), kInvalid},
      {"ends inside the last data record", base.substr(0, end - 10), kInvalid},
      {"Ctrl-Z before the end record", at(end - 2, "\x1A"), kInvalid},
      {"gap: the record at 7020 missing",
       base.substr(0, rec3 + line) + base.substr(rec3 + 2 * line), kInvalid},
      {"record at 7010 longer, a gap after it", at(rec3 + 1, "11"), kInvalid},
      {"running total passes the extent",
       Small().Add(0x7000).Add(0x7010, 0x30).Add(0x7020).WithEnd(), kInvalid},
      {"record 2 with count 0 and nothing after it", HexText({s.records[0]}) + ":00700000",
       kInvalid},
  };
  return m;
}

TEST(BadInput, EachFaultEndsAsInvalidAndNothingElseDoes) {
  for (const Mutation& m : Mutations()) ExpectBoth(m.what, m.text, m.expected);
}

// Every truncation and every one-character change of two small files, one in address order
// and one with the records after record 2 reversed: the indexed computation must agree with
// the rescanning reader.
TEST(BadInput, EveryTruncationAndOneCharacterChangeAgreesWithTheRescanningReader) {
  Small ordered, reversed;
  for (std::uint16_t a = 0x7000; a < 0x7040; a += 0x10) ordered.Add(a, 0x10, 0);
  reversed.Add(0x7000);
  for (std::uint16_t a = 0x7030; a > 0x7000; a -= 0x10) reversed.Add(a, 0x10, 0);
  const char replacements[] = {':', '0', '1', '7', 'F', 'a', 'G', ' ', '\r', '\n', '\x1A', '\0'};
  int valid = 0, invalid = 0;
  for (const std::string& base : {ordered.WithEnd(), reversed.WithEnd()}) {
    auto check = [&](const std::string& text, const std::string& what) {
      const Result indexed = ComputeHexCrc(text);
      ASSERT_EQ(indexed, RescanHexCrc(text)) << what << "\n" << text;
      ++(indexed ? valid : invalid);
    };
    for (std::size_t n = 0; n <= base.size(); ++n)
      check(base.substr(0, n), "first " + std::to_string(n));
    for (std::size_t pos = 0; pos < base.size(); ++pos) {
      for (char c : replacements) {
        std::string text = base;
        text[pos] = c;
        check(text, "position " + std::to_string(pos));
        text = base;
        text.insert(pos, 1, c);
        check(text, "inserted at " + std::to_string(pos));
      }
      check(std::string(base).erase(pos, 1), "removed at " + std::to_string(pos));
    }
  }
  // Both outcomes must occur, or the sweep proves nothing.
  EXPECT_GT(valid, 1000);
  EXPECT_GT(invalid, 1000);
}

// ---------------------------------------------------------------------------------------------
// Linear time: with 4096 one-byte records in descending order a rescanning reader searches
// the file 4096 times (about 1000 times the work of the file in order); one reading with an
// index costs about the same in either order. The fastest of three runs of each is compared.

long long FastestOfThreeMicroseconds(const std::string& text, const Result& expected) {
  long long best = -1;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const Result result = ComputeHexCrc(text);
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    EXPECT_EQ(result, expected);
    if (best < 0 || us < best) best = us;
  }
  return best;
}

TEST(LinearTime, DescendingCostsAboutWhatAscendingCosts) {
  const Result expected = HexCrcValues{0x7000, 0x1000, ImageCrc(TestImage(), 0x7000, 0x8000)};
  const long long ascending =
      FastestOfThreeMicroseconds(AppText(0x7000, 0x8000, Order::kAscending, {1}), expected);
  const long long descending =
      FastestOfThreeMicroseconds(AppText(0x7000, 0x8000, Order::kDescending, {1}), expected);
  EXPECT_LT(descending, 4 * ascending + 20000)
      << "ascending " << ascending << " us, descending " << descending << " us";
}

// ---------------------------------------------------------------------------------------------
// The computation from a typed name, in a fresh current directory.

class HexCrcFile : public ::testing::Test {
 protected:
  static void Write(const fs::path& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Whether no handle of this process refers to the file any more.
  static bool IsClosed(const fs::path& name) {
#ifdef _WIN32
    // The C runtime opens files without delete sharing, so an open file cannot be renamed.
    std::error_code ec;
    fs::rename(name, "moved.tmp", ec);
    if (ec) return false;
    fs::rename("moved.tmp", name);
    return true;
#else
    const fs::path target = fs::absolute(name);
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      if (fs::read_symlink(fd.path(), ec) == target) return false;
    }
    return true;
#endif
  }

  const support::TempCurrentFolder dir_{"hexcrc"};
};

const std::string& OneProcessorText() {
  static const std::string text = AppText(0x7000, 0x10000, Order::kShuffled);
  return text;
}
const HexCrcTexts kOneProcessorTexts =
    FormatHexCrc("", HexCrcValues{0x7000, 0x9000, ImageCrc(TestImage(), 0x7000, 0x10000)});

HexCrcTexts Named(std::string name) {
  HexCrcTexts texts = kOneProcessorTexts;
  texts.name = std::move(name);
  return texts;
}

TEST_F(HexCrcFile, ComputesFromTheNamePlusHex) {
  Write("APP.HEX", OneProcessorText());
  const HexCrcOutcome outcome = GenerateHexCrc("APP");
  EXPECT_EQ(outcome.error, HexCrcError::kNone);
  EXPECT_EQ(outcome.texts, Named("APP"));
  EXPECT_EQ(outcome.texts.beginning, "7000");
  EXPECT_EQ(outcome.texts.length, "9000");
  EXPECT_TRUE(IsClosed("APP.HEX"));
}

TEST_F(HexCrcFile, OnlyTheFirstEightCharactersAreUsed) {
  Write("ABCDEFGH.HEX", OneProcessorText());
  const HexCrcOutcome outcome = GenerateHexCrc("ABCDEFGHI");
  EXPECT_EQ(outcome.error, HexCrcError::kNone);
  EXPECT_EQ(outcome.texts, Named("ABCDEFGH"));
  EXPECT_EQ(GenerateHexCrc("ABCDEFGHIJKLMNOP").texts.name, "ABCDEFGH");
}

TEST_F(HexCrcFile, ATypedExtensionIsNotRecognised) {
  Write("APP.HEX", OneProcessorText());
  EXPECT_EQ(GenerateHexCrc("APP.HEX").error, HexCrcError::kCannotOpen);
  Write("APP.HEX.HEX", OneProcessorText());
  EXPECT_EQ(GenerateHexCrc("APP.HEX").texts, Named("APP.HEX"));
}

TEST_F(HexCrcFile, ANameWithAPath) {
  fs::create_directory("sub");
  Write("sub/APP.HEX", OneProcessorText());
  EXPECT_EQ(GenerateHexCrc("sub/APP").texts, Named("sub/APP"));
}

TEST_F(HexCrcFile, CannotBeOpened) {
  fs::create_directory("DIR.HEX");
  const char* names[] = {"", "MISSING", "DIR"};
  for (const char* name : names) {
    const HexCrcOutcome outcome = GenerateHexCrc(name);
    EXPECT_EQ(outcome.error, HexCrcError::kCannotOpen) << "'" << name << "'";
    EXPECT_EQ(outcome.texts, HexCrcTexts{}) << name;
  }
}

TEST_F(HexCrcFile, InvalidFileIsClosedToo) {
  Write("BAD.HEX", "\r\n" + OneProcessorText());
  EXPECT_EQ(GenerateHexCrc("BAD").error, HexCrcError::kInvalid);
  EXPECT_TRUE(IsClosed("BAD.HEX"));
  Write("CUT.HEX", OneProcessorText().substr(0, 5000));
  EXPECT_EQ(GenerateHexCrc("CUT").error, HexCrcError::kInvalid);
  EXPECT_TRUE(IsClosed("CUT.HEX"));
}

// Only the first kHexTextLimit bytes count: padding beyond does not matter, an end record
// beyond is the end of the file reached first.
TEST_F(HexCrcFile, TextBeyondTheLimitIsNotRead) {
  const std::string& text = OneProcessorText();
  Write("BIG.HEX", text + std::string(kHexTextLimit, ' '));
  EXPECT_EQ(GenerateHexCrc("BIG").texts, Named("BIG"));
  const std::size_t lastLine = text.rfind(':');
  Write("FAR.HEX",
        text.substr(0, lastLine) + std::string(kHexTextLimit, ' ') + text.substr(lastLine));
  EXPECT_EQ(GenerateHexCrc("FAR").error, HexCrcError::kInvalid);
  EXPECT_EQ(RescanHexCrc(text.substr(0, lastLine) + std::string(kHexTextLimit, ' ') +
                         text.substr(lastLine)),
            kInvalid);
}

}  // namespace
