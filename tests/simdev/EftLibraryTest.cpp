// The stand-in library's six functions over a state directory: opens, exchanges, scripted
// faults, downloads, traces, and the configured port.
#include <gtest/gtest.h>

#include <fstream>

#include "devconfig/DeviceConfig.h"
#include "devconfig/MemoryRegistry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/EftLibrary.h"
#include "simdev/State.h"
#include "simdev/Terminal8343.h"
#include "simdev/Trace.h"
#include "tests/simdev/OverTheLine.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace st = simdev::status;

template <typename Way>
class Library : public ::testing::Test {
 protected:
  void SetUp() override { Attach(3, 2); }
  void Attach(std::uint16_t port, int processors) {
    ASSERT_TRUE(
        simdev::SaveKeyValues(StatePath(port), simdev::NewTerminalState(port, processors), "t"));
  }
  std::string StatePath(std::uint16_t port) {
    return dir.File(simdev::DeviceFileName(port, "8343"));
  }
  simdev::KeyValues State(std::uint16_t port = 3) {
    simdev::KeyValues s;
    simdev::LoadKeyValues(StatePath(port), &s);
    return s;
  }
  void Fault(const std::string& name, const std::string& value, std::uint16_t port = 3) {
    simdev::KeyValues s = State(port);
    simdev::SetFault(s, name, value);
    simdev::SaveKeyValues(StatePath(port), s, "t");
  }
  // One whole exchange; the answer as read (empty when a step failed).
  Bytes Exchange(const Bytes& frame, std::uint16_t* status = nullptr) {
    std::uint32_t h = 0;
    std::uint16_t count = 0, s = lib.Open(3, &h);
    std::uint8_t buffer[200] = {};
    Bytes answer;
    if (s == 0) s = lib.Write(h, frame.data(), static_cast<std::uint16_t>(frame.size()), &count);
    if (s == 0) s = lib.Read(h, buffer, 200, &count);
    if (s == 0) answer.assign(buffer, buffer + count);
    lib.Close(h);
    if (status) *status = s;
    return answer;
  }
  std::vector<simdev::trace::Record> Trace() {
    return simdev::trace::Decode(simdev::trace::Read(dir.Str(), "WNT43PDD"));
  }
  std::string HexFile(const std::string& name, const std::string& text) {
    std::ofstream(dir.File(name), std::ios::binary) << text;
    return dir.File(name);
  }

  support::TempFolder dir;
  Way way{dir.Str()};
  simdev::EftCalls& lib = way.Calls();
};

using Ways = ::testing::Types<overtheline::Direct<simdev::EftLibrary>,
                              overtheline::OverTheLine<simdev::remote::RemoteEft>>;
TYPED_TEST_SUITE(Library, Ways, overtheline::WayName);

TYPED_TEST(Library, OpenFindsTheTerminalByItsStateFileOnly) {
  std::uint32_t h = 0;
  EXPECT_EQ(this->lib.Open(3, &h), st::kOk);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(this->lib.Open(4, &h), st::kNoDevice);
  EXPECT_EQ(this->lib.Open(0, &h), st::kNoDevice);
  EXPECT_EQ(this->lib.Open(3, nullptr), st::kInvalidParameter);
  std::ofstream(this->StatePath(5)) << "not a state file";
  EXPECT_EQ(this->lib.Open(5, &h), st::kDamagedState);
}

TYPED_TEST(Library, AnExchangeAnswersAndHandlesDoNotOutliveTheirClose) {
  EXPECT_EQ(this->Exchange({0x0E, 0x02}), (Bytes{0x00, 0x00, 0x02, 0x00, 0x01, 0x02}));
  std::uint32_t h = 0;
  ASSERT_EQ(this->lib.Open(3, &h), st::kOk);
  std::uint8_t buffer[200];
  std::uint16_t count = 0;
  EXPECT_EQ(this->lib.Read(h, buffer, 200, &count), st::kNoAnswer);  // nothing was asked
  // A failed write or read lets its handle go, as no further call is made on it.
  const std::uint8_t frame[1] = {0x00};
  for (const std::uint8_t* bytes : {static_cast<const std::uint8_t*>(nullptr), frame}) {
    EXPECT_EQ(this->lib.Write(h, frame, 1, &count), st::kInvalidHandle);
    ASSERT_EQ(this->lib.Open(3, &h), st::kOk);
    EXPECT_EQ(this->lib.Write(h, bytes, bytes ? 0 : 1, &count), st::kInvalidParameter);
  }
  // An open ends what an earlier one left on its port: a COM port has one user.
  std::uint32_t left = 0;
  ASSERT_EQ(this->lib.Open(3, &left), st::kOk);
  ASSERT_EQ(this->lib.Open(3, &h), st::kOk);
  EXPECT_EQ(this->lib.Close(left), st::kInvalidHandle);
  EXPECT_EQ(this->lib.Close(h), st::kOk);
  EXPECT_EQ(this->lib.Close(h), st::kInvalidHandle);
  EXPECT_EQ(this->lib.Write(h, frame, 1, &count), st::kInvalidHandle);
  EXPECT_EQ(this->lib.Read(h, buffer, 200, &count), st::kInvalidHandle);
  EXPECT_EQ(this->lib.Dload(h, "x.hex"), st::kInvalidHandle);
}

TYPED_TEST(Library, ReadNeverPlacesMoreThanTheCapacity) {
  std::uint32_t h = 0;
  this->lib.Open(3, &h);
  const std::uint8_t frame[1] = {0x00};
  std::uint16_t count = 0;
  this->lib.Write(h, frame, 1, &count);
  std::uint8_t buffer[12];
  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  EXPECT_EQ(this->lib.Read(h, buffer, 10, &count), st::kOk);
  EXPECT_EQ(count, 10);
  EXPECT_EQ(buffer[10], 0xEE);
  // No room at all is still a read: nothing placed, and the count says so.
  this->lib.Write(h, frame, 1, &count);
  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  EXPECT_EQ(this->lib.Read(h, buffer, 0, &count), st::kOk);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer[0], 0xEE);
}

TYPED_TEST(Library, ADetachedTerminalNoLongerAnswers) {
  std::uint32_t h = 0;
  ASSERT_EQ(this->lib.Open(3, &h), st::kOk);
  std::filesystem::remove(this->StatePath(3));
  const std::uint8_t frame[1] = {0x00};
  std::uint16_t count = 0;
  EXPECT_EQ(this->lib.Dload(h, this->HexFile("a.hex",
                                             ":0170000001"
                                             "8E\n:00000001FF\n")
                                   .c_str()),
            st::kNoCommunication);
  EXPECT_EQ(this->lib.Write(h, frame, 1, &count), st::kDeviceGone);
}

TYPED_TEST(Library, ScriptedFaultsHitTheNextFittingCallOnce) {
  std::uint16_t s = 0;
  this->Fault("open", "");
  this->Exchange({0x00}, &s);
  EXPECT_EQ(s, st::kPortInUse);
  this->Fault("open", "1234");
  this->Exchange({0x00}, &s);
  EXPECT_EQ(s, 1234);
  this->Exchange({0x00}, &s);
  EXPECT_EQ(s, st::kOk);  // used once
  this->Fault("write", "");
  this->Exchange({0x00}, &s);
  EXPECT_EQ(s, st::kWriteFault);
  this->Fault("read", "");
  this->Exchange({0x00}, &s);
  EXPECT_EQ(s, st::kReadFault);
  this->Fault("rc", "0A");
  EXPECT_EQ(this->Exchange({0x0E, 0x02}), Bytes{0x0A});
  this->Fault("short", "3");
  EXPECT_EQ(this->Exchange({0x0E, 0x02}), (Bytes{0x00, 0x00, 0x02}));
  EXPECT_EQ(this->Exchange({0x0E, 0x02}).size(), 6u);
  this->Fault("short", "3x");  // hand-edited, no count: nothing of the answer is left
  EXPECT_EQ(this->Exchange({0x0E, 0x02}, &s), Bytes{});
  EXPECT_EQ(s, st::kOk);
  for (const auto& [key, value] : this->State()) EXPECT_NE(key.rfind("fault.", 0), 0u) << key;
}

TYPED_TEST(Library, ASkippedFaultHitsALaterCall) {
  simdev::KeyValues s = this->State();
  simdev::SetFault(s, "open", "77", 2);
  simdev::SaveKeyValues(this->StatePath(3), s, "t");
  std::uint16_t status = 0;
  for (std::uint16_t expected : {0, 0, 77, 0}) {
    this->Exchange({0x00}, &status);
    EXPECT_EQ(status, expected);
  }
}

TYPED_TEST(Library, AScriptedRcCarriesNothingOut) {
  this->Fault("rc", "06");
  Bytes serial = {0x8F, '4', '1', '-', '1', '1', '1', '1', '1', 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(this->Exchange(serial), Bytes{0x06});
  EXPECT_EQ(this->State()["serial"], "");
  EXPECT_EQ(this->Exchange(serial), Bytes{0x00});
  EXPECT_EQ(this->State()["serial"], "41-11111");
}

TYPED_TEST(Library, DownloadCodes) {
  std::uint32_t h = 0;
  ASSERT_EQ(this->lib.Open(3, &h), st::kOk);
  std::string good = this->HexFile("good.hex",
                                   ":0470000001020304"
                                   "82\n:00000001FF\n");
  std::string corrupt = this->HexFile("bad.hex",
                                      ":0470000001020304"
                                      "83\n:00000001FF\n");
  EXPECT_EQ(this->lib.Dload(h, this->dir.File("missing.hex").c_str()), st::kFileNotOpened);
  EXPECT_EQ(this->lib.Dload(h, nullptr), st::kFileNotOpened);
  EXPECT_EQ(this->lib.Dload(h, good.c_str()), st::kOk);
  EXPECT_EQ(this->State()["image.7000"], "01020304");
  EXPECT_EQ(this->State()["main_application"], "GOOD");
  EXPECT_EQ(this->lib.Dload(h, corrupt.c_str()), st::kBadHexFile);
  EXPECT_EQ(this->State()["image.7000"], "01020304");  // the earlier image stays
  EXPECT_EQ(this->State()["main_application"], "GOOD");
  this->Fault("read", "");
  EXPECT_EQ(this->lib.Dload(h, good.c_str()), st::kNoCommunication);
  this->Fault("dload", "4321");
  EXPECT_EQ(this->lib.Dload(h, good.c_str()), 4321);
  EXPECT_EQ(this->lib.Dload(h, good.c_str()), st::kOk);
  // A scripted 0 lets the next download through, which loads the file.
  std::string other = this->HexFile("other.hex", ":02700000050683\n:00000001FF\n");
  this->Fault("dload", "0");
  EXPECT_EQ(this->lib.Dload(h, other.c_str()), st::kOk);
  EXPECT_EQ(this->State()["image.7000"], "0506");
  EXPECT_EQ(this->State()["main_application"], "OTHER");
  EXPECT_EQ(this->State().count("fault.dload"), 0u);
  EXPECT_EQ(this->lib.Dload(h, this->dir.Str().c_str()),
            st::kFileNotOpened);  // a folder is no file
}

TYPED_TEST(Library, ExchangesAndDownloadsAreTracedWithKeysMasked) {
  Bytes des(19, 0x77);
  des[0] = 0x83;
  des[1] = 1;
  des[2] = 0;
  EXPECT_EQ(this->Exchange(des), Bytes{0x00});
  this->Fault("read", "");
  this->Exchange({0x00});
  std::uint32_t h = 0;
  this->lib.Open(3, &h);
  this->lib.Dload(h, this->dir.File("none.hex").c_str());
  auto records = this->Trace();
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].kind, simdev::trace::kFrameSent);
  EXPECT_EQ(records[0].flags, simdev::trace::kKeyMasked);
  Bytes masked(19, 0);
  masked[0] = 0x83;
  masked[1] = 1;
  EXPECT_EQ(records[0].data, masked);
  EXPECT_EQ(records[0].model, 8343);
  EXPECT_EQ(records[0].port, 3);
  EXPECT_EQ(records[1].kind, simdev::trace::kAnswerReturned);
  EXPECT_EQ(records[1].data, Bytes{0x00});
  EXPECT_EQ(records[3].status, st::kReadFault);
  EXPECT_TRUE(records[3].data.empty());
  EXPECT_EQ(records[4].kind, simdev::trace::kDownload);
  EXPECT_EQ(records[4].status, st::kFileNotOpened);
  EXPECT_EQ(std::string(records[4].data.begin(), records[4].data.end()),
            this->dir.File("none.hex"));
  for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].sequence, i + 1);

  simdev::trace::SetTracing(this->dir.Str(), "WNT43PDD", false);
  this->Exchange({0x00});
  EXPECT_EQ(this->Trace().size(), 5u);
}

TYPED_TEST(Library, QueryMemoryCrcAfterADownloadMatchesTheFileData) {
  std::uint32_t h = 0;
  this->lib.Open(3, &h);
  // "123456789" at 7000: CRC-16/ARC BB3D.
  std::string text =
      ":09700000313233343536373839"
      "AA\n:00000001FF\n";
  ASSERT_EQ(this->lib.Dload(h, this->HexFile("check.hex", text).c_str()), st::kOk);
  this->lib.Close(h);
  EXPECT_EQ(this->Exchange({0xF5, 0x70, 0x00, 0x00, 0x09}), (Bytes{0x00, 0x00, 0x00, 0xBB, 0x3D}));
}

TEST(ConfiguredPort, ComPortOfTheSubkeyElsePortOne) {
  devconfig::MemoryRegistry registry;
  EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), 1);  // no key at all
  devconfig::RegKey root = 0, key = 0;
  ASSERT_EQ(registry.CreateKey(devconfig::kClassesRoot, devconfig::kRootKey, &root), 0);
  EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), 1);
  ASSERT_EQ(registry.CreateKey(root, devconfig::kSubkey8343, &key), 0);
  EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), 1);  // no ComPort
  const std::pair<std::uint32_t, std::uint16_t> values[] = {{7, 7}, {256, 256}, {0, 1}, {65536, 0}};
  for (const auto& [stored, port] : values) {
    devconfig::SetDword(registry, key, devconfig::kValueComPort, stored);
    EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), port) << stored;
  }
  // The first subkey that opens decides.
  devconfig::SetDword(registry, key, devconfig::kValueComPort, 9);
  EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8343}), 9);
  // A user who may only read the key still gets the recorded port.
  registry.Fail(devconfig::MemoryRegistry::Op::kOpen, "", devconfig::kErrorAccessDenied);
  EXPECT_EQ(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), 9);
  registry.CloseKey(key);
  registry.CloseKey(root);
  EXPECT_EQ(registry.OpenHandles(), 0u);  // every key it opened is closed again
}

}  // namespace
