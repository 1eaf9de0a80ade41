// The emulated 8343: Intel HEX reading, every command's answer, and what its state file keeps.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/Hex.h"
#include "base/PlainFile.h"
#include "simdev/Digest.h"
#include "simdev/IntelHex.h"
#include "simdev/State.h"
#include "simdev/Terminal8343.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Builds one record with its checksum.
std::string Record(std::uint8_t type, std::uint16_t address, const Bytes& data) {
  Bytes all = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
               static_cast<std::uint8_t>(address), type};
  all.insert(all.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (std::uint8_t b : all) sum += b;
  all.push_back(static_cast<std::uint8_t>(-sum));
  return ":" + base::BytesToHex({all.data(), all.size()}) + "\n";
}
const std::string kEnd = ":00000001FF\n";

TEST(IntelHex, ReadsDataRecordsIntoTheImage) {
  std::string text = Record(0, 0x0000, Bytes(32, 0xAA)) + Record(0, 0x4000, {1, 2, 3}) +
                     Record(0, 0x4003, {4}) + Record(5, 0, {0, 0, 0, 0}) + kEnd +
                     "junk after the end";
  simdev::MemoryImage image;
  std::string error;
  ASSERT_TRUE(simdev::ParseIntelHex(text, &image, &error)) << error;
  EXPECT_EQ(image.bytes[0x001F], 0xAA);
  EXPECT_EQ(image.bytes[0x4003], 4);
  auto ranges = image.Ranges();
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[0], (std::pair<std::uint32_t, std::uint32_t>{0x0000, 0x001F}));
  EXPECT_EQ(ranges[1], (std::pair<std::uint32_t, std::uint32_t>{0x4000, 0x4003}));
  EXPECT_TRUE(image.Covers(0x4000, 4));
  EXPECT_FALSE(image.Covers(0x4000, 5));
  EXPECT_FALSE(image.Covers(0x001F, 0x4000));  // the gap between the ranges
  EXPECT_FALSE(image.Covers(0x4000, 0));
}

TEST(IntelHex, LowercaseDigitsAndZeroExtendedAddressesAreAccepted) {
  std::string text = Record(4, 0, {0, 0}) + Record(2, 0, {0, 0}) + Record(0, 0xFFFF, {0xAB});
  for (char& c : text) c = static_cast<char>(std::tolower(c));
  simdev::MemoryImage image;
  std::string error;
  ASSERT_TRUE(simdev::ParseIntelHex(text + kEnd, &image, &error)) << error;
  EXPECT_EQ(image.bytes[0xFFFF], 0xAB);
}

TEST(IntelHex, EveryDamageIsRefusedAndLeavesTheImageAsItWas) {
  std::string good = Record(0, 0x7000, {1, 2, 3, 4});
  std::string badSum = good;
  badSum[badSum.size() - 2] = badSum[badSum.size() - 2] == '0' ? '1' : '0';
  const std::pair<std::string, const char*> cases[] = {
      {good, "no end record"},
      {badSum + kEnd, "wrong checksum"},
      {":0470000001020G04\n" + kEnd, "not hexadecimal"},
      {":047000000102\n" + kEnd, "too short"},
      {good.substr(0, good.size() - 1) + "00\n" + kEnd, "longer than its count"},
      {"x" + good + kEnd, "must start with ':'"},
      {Record(0, 0xFFFF, {1, 2}) + kEnd, "beyond address FFFF"},
      {Record(4, 0, {0, 1}) + good + kEnd, "beyond 64 KB"},
      {Record(2, 0, {0x10, 0}) + good + kEnd, "beyond 64 KB"},
      {Record(6, 0, {}) + good + kEnd, "unknown record type"},
      {":01000001FFFF\n", "end record with data"},
      {kEnd, "no data"},
      {"", "no end record"},
  };
  for (const auto& [text, what] : cases) {
    simdev::MemoryImage image;
    image.bytes[0x7000] = 0x99;
    image.loaded[0x7000] = true;
    std::string error;
    EXPECT_FALSE(simdev::ParseIntelHex(text, &image, &error)) << text;
    EXPECT_NE(error.find(what), std::string::npos) << text << " -> " << error;
    EXPECT_EQ(image.bytes[0x7000], 0x99);
    EXPECT_EQ(image.loaded.count(), 1u);
  }
}

#ifdef SREC_APP_HEX
// A file written by srec_cat (a tool of its own), not by this suite.
TEST(IntelHex, ReadsAFileMadeBySrecCat) {
  std::string text;
  ASSERT_EQ(base::ReadPlainFile(SREC_APP_HEX, 1 << 20, &text), base::ReadResult::kOk);
  simdev::MemoryImage image;
  std::string error;
  ASSERT_TRUE(simdev::ParseIntelHex(text, &image, &error)) << error;
  auto ranges = image.Ranges();
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[0], (std::pair<std::uint32_t, std::uint32_t>{0x0000, 0x001F}));
  EXPECT_EQ(ranges[1], (std::pair<std::uint32_t, std::uint32_t>{0x7000, 0xFFFF}));
  const std::string pattern = "QRT-APP ";
  for (std::uint32_t a = 0x7000; a < 0x10000; ++a)
    ASSERT_EQ(image.bytes[a], pattern[(a - 0x7000) % 8]) << a;
}
#endif

class Terminal : public ::testing::Test {
 protected:
  void SetUp() override { Attach(2); }
  void Attach(int processors) {
    std::string error;
    ASSERT_TRUE(simdev::LoadTerminal(simdev::NewTerminalState(3, processors), &t, &error)) << error;
  }
  Bytes Send(const Bytes& frame) { return simdev::Execute(t, frame); }
  simdev::Terminal8343 t;
};

TEST_F(Terminal, ReadDeviceTypeTellsOneProcessorFromTwo) {
  EXPECT_EQ(Send({0x0E, 0x02}), (Bytes{0x00, 0x00, 0x02, 0x00, 0x01, 0x02}));
  Attach(1);
  EXPECT_EQ(Send({0x0E, 0x02}), (Bytes{0x00, 0x00, 0x02, 0x00, 0x01, 0x00}));
  EXPECT_EQ(Send({0x0E, 0x03}), Bytes{0x04});
}

TEST_F(Terminal, ReadDeviceInformationGivesFixedWidthFieldsPaddedWithZeros) {
  t.serial = "41-12345";
  t.mainApplication = "DEMOAPP";
  Bytes a = Send({0x00});
  ASSERT_EQ(a.size(), 71u);
  EXPECT_EQ(a[0], 0x00);
  EXPECT_EQ(std::string(a.begin() + 1, a.begin() + 9), "41-12345");
  EXPECT_EQ(std::string(a.begin() + 9, a.begin() + 17), "MM 03.20");
  EXPECT_EQ(a[17], 0);
  EXPECT_EQ(std::string(a.begin() + 23, a.begin() + 30), "DEMOAPP");
  EXPECT_EQ(std::string(a.begin() + 41, a.begin() + 49), "SM 01.10");
  EXPECT_EQ(std::string(a.begin() + 55, a.begin() + 69), "SECURITY 01.00");
  EXPECT_EQ(a[69], 0);
}

TEST_F(Terminal, StatusShowsTheCardAndItsResetDataAndEjectTakesItOut) {
  t.statusBits = 0x81;
  Bytes a = Send({0x01});
  ASSERT_EQ(a.size(), 42u);
  EXPECT_EQ(a[1], 0x81);
  EXPECT_EQ(Bytes(a.begin() + 2, a.end()), Bytes(40, 0));
  EXPECT_EQ(Send({0x05}), Bytes{0x07});  // no card to eject
  t.card = Bytes{0x3B, 0x02, 0x14, 0x50};
  a = Send({0x01});
  EXPECT_EQ(a[1], 0xC1);
  EXPECT_EQ(Bytes(a.begin() + 2, a.begin() + 7), (Bytes{0x3B, 0x02, 0x14, 0x50, 0x00}));
  EXPECT_EQ(Send({0x05}), Bytes{0x00});
  EXPECT_EQ(Send({0x01})[1], 0x81);
}

TEST_F(Terminal, RsaKeyAndSerialNumberAreAcceptedOnce) {
  Bytes rsa(131, 0x5A);
  rsa[0] = 0x82;
  rsa[1] = rsa[2] = 0x20;
  EXPECT_EQ(Send(rsa), Bytes{0x00});
  EXPECT_EQ(t.rsaKey, simdev::KeyDigest(std::span<const std::uint8_t>(rsa).subspan(3)));
  EXPECT_EQ(Send(rsa), Bytes{0x06});
  Bytes serial = {0x8F, '4', '1', '-', '0', '0', '0', '4', '2', 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Send(serial), Bytes{0x00});
  EXPECT_EQ(t.serial, "41-00042");
  serial[8] = '3';
  EXPECT_EQ(Send(serial), Bytes{0x06});
  EXPECT_EQ(t.serial, "41-00042");
}

TEST_F(Terminal, BadParametersAnswerInvalidValue) {
  Bytes rsa(131, 0);
  rsa[0] = 0x82;
  rsa[1] = 0x20;
  EXPECT_EQ(Send(rsa), Bytes{0x04});  // byte 2 not 20
  EXPECT_TRUE(t.rsaKey.empty());
  Bytes serial = {0x8F, '4', '2', '-', '0', '0', '0', '4', '2', 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Send(serial), Bytes{0x04});
  serial[2] = '1';
  serial[5] = 'x';
  EXPECT_EQ(Send(serial), Bytes{0x04});
  Bytes des(19, 0);
  des[0] = 0x83;
  des[1] = 8;
  EXPECT_EQ(Send(des), Bytes{0x04});
  des[1] = 7;
  des[2] = 3;
  EXPECT_EQ(Send(des), Bytes{0x04});
}

TEST_F(Terminal, DesKeyPartsAreKeptPerKeyAndPart) {
  Bytes des(19, 0x11);
  des[0] = 0x83;
  des[1] = 7;
  des[2] = 2;
  EXPECT_EQ(Send(des), Bytes{0x00});
  des[2] = 0;
  EXPECT_EQ(Send(des), Bytes{0x00});
  EXPECT_EQ(Send(des), Bytes{0x00});  // a part may be loaded again
  EXPECT_EQ(t.desKeyParts.size(), 2u);
  EXPECT_EQ(t.desKeyParts["7.last"], simdev::KeyDigest(Bytes(16, 0x11)));
  EXPECT_TRUE(t.desKeyParts.count("7.first"));
}

TEST_F(Terminal, UnknownCommandsAndWrongLengthsAreRefused) {
  EXPECT_EQ(Send({}), Bytes{0x02});
  EXPECT_EQ(Send({0x02}), Bytes{0x01});
  EXPECT_EQ(Send({0xFF, 0x00}), Bytes{0x01});
  const Bytes wrong[] = {{0x00, 0x00},     {0x01, 0x00},    {0x05, 0x05},    {0x0E},
                         Bytes(130, 0x82), Bytes(18, 0x83), Bytes(16, 0x8F), {0xF5, 0, 0, 0}};
  for (Bytes frame : wrong) {
    EXPECT_EQ(Send(frame), Bytes{0x02}) << base::BytesToHex({frame.data(), frame.size()});
  }
}

TEST_F(Terminal, QueryMemoryCrcIsCrc16ArcOverTheLoadedImage) {
  EXPECT_EQ(Send({0xF5, 0x70, 0x00, 0x00, 0x09}), Bytes{0x04});  // nothing loaded yet
  simdev::MemoryImage image;
  const std::string check = "123456789";
  for (std::size_t i = 0; i < check.size(); ++i) {
    image.bytes[0x7000 + i] = static_cast<std::uint8_t>(check[i]);
    image.loaded[0x7000 + i] = true;
  }
  simdev::StoreDownload(t, image, "C:\\apps\\demo.app.hex");
  EXPECT_EQ(t.mainApplication, "DEMO.APP");
  EXPECT_EQ(Send({0xF5, 0x70, 0x00, 0x00, 0x09}), (Bytes{0x00, 0x00, 0x00, 0xBB, 0x3D}));
  EXPECT_EQ(Send({0xF5, 0x70, 0x00, 0x00, 0x0A}), Bytes{0x04});  // one byte past the image
  EXPECT_EQ(Send({0xF5, 0x6F, 0xFF, 0x00, 0x02}), Bytes{0x04});  // one byte before it
  EXPECT_EQ(Send({0xF5, 0x70, 0x00, 0x00, 0x00}), Bytes{0x04});  // nothing to check
}

TEST_F(Terminal, StateFileRoundTripKeepsKeysOnlyAsDigests) {
  Bytes des(19, 0);
  des[0] = 0x83;
  const Bytes key = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                     0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  std::copy(key.begin(), key.end(), des.begin() + 3);
  Send(des);
  Bytes rsa(131, 0x3C);
  rsa[0] = 0x82;
  rsa[1] = rsa[2] = 0x20;
  Send(rsa);
  simdev::MemoryImage image;
  for (std::uint32_t a = 0x4000; a < 0x4050; ++a) {
    image.bytes[a] = static_cast<std::uint8_t>(a);
    image.loaded[a] = true;
  }
  simdev::StoreDownload(t, image, "app.hex");
  t.card = Bytes{0x3B};
  simdev::KeyValues state = {{"fault.read", "30"}};
  simdev::StoreTerminal(t, &state);
  EXPECT_EQ(state["fault.read"], "30");  // other keys stay
  std::string all;
  for (const auto& [k, v] : state) all += k + "=" + v + "\n";
  EXPECT_EQ(all.find(base::BytesToHex({key.data(), 8})), std::string::npos);
  EXPECT_EQ(all.find("3C3C3C3C"), std::string::npos);
  EXPECT_EQ(state["image.4000"].size(), 64u);  // 32 bytes a line
  EXPECT_EQ(state["image.4040"].size(), 32u);

  simdev::Terminal8343 back;
  std::string error;
  ASSERT_TRUE(simdev::LoadTerminal(state, &back, &error)) << error;
  EXPECT_EQ(back.rsaKey, t.rsaKey);
  EXPECT_EQ(back.desKeyParts, t.desKeyParts);
  EXPECT_EQ(back.card, t.card);
  EXPECT_EQ(back.mainApplication, "APP");
  ASSERT_TRUE(back.image);
  EXPECT_EQ(back.image->loaded, image.loaded);
  EXPECT_EQ(back.image->bytes, image.bytes);
}

TEST_F(Terminal, DamagedStateIsRefused) {
  const std::pair<std::string, std::string> damage[] = {
      {"model", "8342"},   {"processors", "3"},    {"status", "ABC"},    {"card", "XYZ"},
      {"image.4000", "0"}, {"image.FFFF", "0102"}, {"image.ZZZZ", "01"}, {"port", "3x"}};
  for (const auto& [key, value] : damage) {
    simdev::KeyValues state = simdev::NewTerminalState(3, 2);
    state[key] = value;
    std::string error;
    EXPECT_FALSE(simdev::LoadTerminal(state, &t, &error)) << key;
  }
}

}  // namespace
