// The emulated 8342 PIN pad and the inside of the stand-in WNT42PIN library: what each call
// does to the pad, what it returns, what the trace keeps, scripted faults, and that keys
// are kept only as digests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/Hex.h"
#include "simdev/Digest.h"
#include "simdev/PinLibrary.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "tests/simdev/OverTheLine.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace st = simdev::status;

const Bytes kKey8 = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
const Bytes kKey16 = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                      0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Check(const Bytes& key) {
  auto digest = simdev::Sha256(key);
  return Bytes(digest.begin(), digest.begin() + 8);
}

template <typename Way>
class PinPad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(simdev::SaveKeyValues(
        StatePath(2), simdev::NewPinPadState(2, simdev::kDefaultPinPadSerial, "8342 HW 02.10"),
        "t"));
  }
  std::string StatePath(std::uint16_t port) {
    return dir.File(simdev::DeviceFileName(port, "8342"));
  }
  simdev::KeyValues State(std::uint16_t port = 2) {
    simdev::KeyValues s;
    simdev::LoadKeyValues(StatePath(port), &s);
    return s;
  }
  void Fault(const std::string& name, const std::string& value, unsigned skip = 0) {
    simdev::KeyValues s = State();
    simdev::SetFault(s, name, value, skip);
    simdev::SaveKeyValues(StatePath(2), s, "t");
  }
  std::uint32_t Open() {
    std::uint32_t h = 0;
    EXPECT_EQ(lib.OpenParms(2, &h), st::kOk);
    return h;
  }
  std::vector<simdev::trace::Record> Trace() {
    return simdev::trace::Decode(simdev::trace::Read(dir.Str(), "WNT4XPDD"));
  }
  std::string FileText(std::uint16_t port = 2) {
    std::ifstream in(StatePath(port), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  support::TempFolder dir;
  Way way{dir.Str()};
  simdev::PinCalls& lib = way.Calls();
};

using Ways = ::testing::Types<overtheline::Direct<simdev::PinLibrary>,
                              overtheline::OverTheLine<simdev::remote::RemotePin>>;
TYPED_TEST_SUITE(PinPad, Ways, overtheline::WayName);

TYPED_TEST(PinPad, OpensFindThePadByItsStateFileAndAreTraced) {
  std::uint32_t h = 0;
  EXPECT_EQ(this->lib.Open(2, &h), st::kOk);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(this->lib.OpenParms(3, &h), st::kNoDevice);
  EXPECT_EQ(this->lib.OpenParms(0, &h), st::kNoDevice);
  EXPECT_EQ(this->lib.Open(2, nullptr), st::kInvalidParameter);
  std::ofstream(this->StatePath(5)) << "model=8342\nserial=12\n";  // a damaged pad
  EXPECT_EQ(this->lib.OpenParms(5, &h), st::kDamagedState);
  std::vector<simdev::trace::Record> t = this->Trace();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0].kind, simdev::trace::kCall);
  EXPECT_EQ(t[0].model, 8342);
  EXPECT_EQ(t[0].port, 2);
  EXPECT_EQ(t[0].status, 0);
  EXPECT_EQ(t[0].data, Bytes{1});  // PinOpen: the port is in the header
  EXPECT_EQ(t[1].port, 3);
  EXPECT_EQ(t[1].status, st::kNoDevice);
  EXPECT_EQ(t[1].data, (Bytes{2, 3, 0}));  // PinOpenParms and its port
  EXPECT_EQ(t[2].data, (Bytes{2, 0, 0}));
  EXPECT_EQ(t[3].status, st::kInvalidParameter);
  EXPECT_EQ(t[4].status, st::kDamagedState);
  EXPECT_EQ(t[4].sequence, t[0].sequence + 4);
}

TYPED_TEST(PinPad, MasterKeyLoadsKeepADigestAndAnswerTheCheckValue) {
  std::uint32_t h = this->Open();
  std::uint8_t response[8] = {};
  EXPECT_EQ(this->lib.LoadMasterKey(h, 0x10, kKey8.data(), response), st::kOk);
  EXPECT_EQ(Bytes(response, response + 8), Check(kKey8));
  EXPECT_EQ(this->lib.LoadMasterKey(h, 0x01, kKey16.data(), response), st::kOk);
  EXPECT_EQ(Bytes(response, response + 8), Check(kKey16));
  simdev::KeyValues s = this->State();
  EXPECT_EQ(s["master_key.8"], simdev::KeyDigest(kKey8));
  EXPECT_EQ(s["master_key.8.source"], "loaded");
  EXPECT_EQ(s["master_key.16"], simdev::KeyDigest(kKey16));
  EXPECT_EQ(s["master_key.16.source"], "loaded-encrypted");
  // The check value is the start of the digest the state file shows.
  EXPECT_EQ(s["master_key.16"].substr(7, 16), base::BytesToHex({response, 8}));
  std::string file = this->FileText();
  EXPECT_EQ(file.find("0123456789ABCDEF"), std::string::npos) << file;

  std::vector<simdev::trace::Record> t = this->Trace();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].flags, simdev::trace::kKeyMasked);
  EXPECT_EQ(t[1].data, Concat(Concat({3, 0x10, 0}, Bytes(8, 0)), Check(kKey8)));
  EXPECT_EQ(t[2].data, Concat(Concat({3, 0x01, 0}, Bytes(16, 0)), Check(kKey16)));
}

TYPED_TEST(PinPad, UnknownKeyTypesAndNullPointersAreRefusedWithoutTouchingThePad) {
  std::uint32_t h = this->Open();
  std::uint8_t response[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  simdev::KeyValues before = this->State();
  EXPECT_EQ(this->lib.LoadMasterKey(h, 0x20, kKey8.data(), response), st::kInvalidParameter);
  EXPECT_EQ(this->lib.LoadMasterKey(h, 0x10, nullptr, response), st::kInvalidParameter);
  EXPECT_EQ(this->lib.EnterMasterKey(h, 0x02, response), st::kInvalidParameter);
  EXPECT_EQ(this->lib.LoadKey(h, 256, 0, kKey8.data(), response), st::kInvalidParameter);
  EXPECT_EQ(this->lib.LoadKey(h, 1, 300, kKey8.data(), response), st::kInvalidParameter);
  EXPECT_EQ(this->lib.LoadIcv(h, 256, kKey8.data()), st::kInvalidParameter);
  EXPECT_EQ(this->lib.LoadVerifParms(h, 16, kKey16.data()), st::kInvalidParameter);
  EXPECT_EQ(this->lib.ReadSn(h, nullptr), st::kInvalidParameter);
  std::uint8_t diag[32] = {};
  EXPECT_EQ(this->lib.ExecDevDiag(h, 4, diag), st::kInvalidParameter);
  EXPECT_EQ(this->State(), before);
  EXPECT_EQ(response[0], 0xEE);
  std::vector<simdev::trace::Record> t = this->Trace();
  ASSERT_EQ(t.size(), 10u);
  EXPECT_EQ(t[1].data, (Bytes{3, 0x20, 0}));  // only what was looked at
  EXPECT_EQ(t[1].flags, 0);
  EXPECT_EQ(t[4].data, (Bytes{5, 0x00, 0x01, 0, 0}));
  EXPECT_EQ(t[9].data, (Bytes{11, 4, 0}));
}

TYPED_TEST(PinPad, EntryAtThePadCompletesAtOnceWithAKeyOfItsOwn) {
  std::uint32_t h = this->Open();
  std::uint8_t first[8] = {}, second[8] = {};
  EXPECT_EQ(this->lib.EnterMasterKey(h, 0x11, first), st::kOk);
  EXPECT_EQ(this->lib.EnterMasterKey(h, 0x10, second), st::kOk);
  EXPECT_NE(Bytes(first, first + 8), Bytes(second, second + 8));  // a new key each entry
  simdev::KeyValues s = this->State();
  EXPECT_EQ(s["entries"], "2");
  EXPECT_EQ(s["master_key.8.source"], "entered-single");
  EXPECT_EQ(s["master_key.8"].substr(7, 16), base::BytesToHex({second, 8}));
  Bytes key(8);
  simdev::EnteredKey(2, 2, key);
  EXPECT_EQ(Bytes(second, second + 8), Check(key));
  std::uint8_t sixteen[8] = {};
  EXPECT_EQ(this->lib.EnterMasterKey(h, 0x01, sixteen), st::kOk);
  EXPECT_EQ(this->State()["master_key.16.source"], "entered-dual");
  EXPECT_EQ(this->Trace().back().data, Concat({4, 0x01, 0}, Bytes(sixteen, sixteen + 8)));
}

TYPED_TEST(PinPad, WorkingKeysIcvAndVerificationParameters) {
  std::uint32_t h = this->Open();
  std::uint8_t response[8] = {};
  EXPECT_EQ(this->lib.LoadKey(h, 0x07, 0xAB, kKey8.data(), response), st::kOk);
  EXPECT_EQ(Bytes(response, response + 8), Check(kKey8));
  EXPECT_EQ(this->lib.LoadIcv(h, 0x01, kKey8.data()), st::kOk);
  EXPECT_EQ(this->lib.LoadVerifParms(h, 0x0A, kKey16.data()), st::kOk);
  simdev::KeyValues s = this->State();
  EXPECT_EQ(s["working_key.07"], simdev::KeyDigest(kKey8));
  EXPECT_EQ(s["working_key.07.variant"], "AB");
  EXPECT_EQ(s["icv"], simdev::KeyDigest(kKey8));
  EXPECT_EQ(s["icv.variant"], "01");
  EXPECT_EQ(s["pin_length"], "A");
  EXPECT_EQ(s["decimalization_table"], simdev::KeyDigest(kKey16));
  std::vector<simdev::trace::Record> t = this->Trace();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1].data, Concat(Concat({5, 0x07, 0, 0xAB, 0}, Bytes(8, 0)), Check(kKey8)));
  EXPECT_EQ(t[2].data, Concat({6, 0x01, 0}, Bytes(8, 0)));
  EXPECT_EQ(t[3].data, Concat({7, 0x0A, 0}, Bytes(16, 0)));
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(t[i].flags, simdev::trace::kKeyMasked) << i;
}

TYPED_TEST(PinPad, EncryptedModeDestroysTheWorkingKeysClearModeKeepsThem) {
  std::uint32_t h = this->Open();
  std::uint8_t response[8] = {};
  this->lib.LoadKey(h, 1, 0, kKey8.data(), response);
  EXPECT_EQ(this->lib.SetModeClr(h), st::kOk);
  EXPECT_EQ(this->State()["mode"], "clear");
  EXPECT_EQ(this->State().count("working_key.01"), 1u);
  EXPECT_EQ(this->lib.SetModeEnc(h), st::kOk);
  EXPECT_EQ(this->State()["mode"], "encrypted");
  EXPECT_EQ(this->State().count("working_key.01"), 0u);
  EXPECT_EQ(this->Trace().back().data, Bytes{8});
}

TYPED_TEST(PinPad, SerialNumberAndHardwareVersion) {
  std::uint32_t h = this->Open();
  std::uint8_t serial[8] = {};
  EXPECT_EQ(this->lib.ReadSn(h, serial), st::kOk);
  EXPECT_EQ(Bytes(serial, serial + 8), (Bytes{0x83, 0x42, 0, 0, 0, 0, 0, 0x01}));
  std::uint8_t diag[32];
  std::fill(std::begin(diag), std::end(diag), 0xEE);
  EXPECT_EQ(this->lib.ExecDevDiag(h, 3, diag), st::kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(diag)), "8342 HW 02.10");
  EXPECT_EQ(diag[14], 0xEE);  // the text and its zero, nothing more
  std::vector<simdev::trace::Record> t = this->Trace();
  EXPECT_EQ(t[1].data, (Bytes{10, 0x83, 0x42, 0, 0, 0, 0, 0, 0x01}));
  EXPECT_EQ(t[2].data, Concat({11, 3, 0}, Bytes{'8', '3', '4', '2', ' ', 'H', 'W', ' ', '0', '2',
                                                '.', '1', '0'}));
  // The longest text the pad holds still leaves room for its zero.
  simdev::KeyValues s = this->State();
  s["hardware_version"] = std::string(31, 'V');
  simdev::SaveKeyValues(this->StatePath(2), s, "t");
  EXPECT_EQ(this->lib.ExecDevDiag(h, 3, diag), st::kOk);
  EXPECT_EQ(diag[30], 'V');
  EXPECT_EQ(diag[31], 0);
}

TYPED_TEST(PinPad, ScriptedFaultsReturnTheirCodeOnceAndLeaveThePadAsItWas) {
  std::uint32_t h = this->Open();
  std::uint8_t response[8] = {};
  this->Fault("PinLoadICV", "65535");
  simdev::KeyValues before = this->State();
  EXPECT_EQ(this->lib.LoadMasterKey(h, 0x10, kKey8.data(), response), st::kOk);  // another function
  EXPECT_EQ(this->lib.LoadIcv(h, 1, kKey8.data()), 65535);
  EXPECT_EQ(this->State()["icv"], "none");
  EXPECT_EQ(this->State().count("fault.PinLoadICV"), 0u);
  EXPECT_EQ(this->lib.LoadIcv(h, 1, kKey8.data()), st::kOk);
  this->Fault("call", "7", 1);  // the second call from now
  EXPECT_EQ(this->lib.SetModeClr(h), st::kOk);
  std::fill(std::begin(response), std::end(response), 0xEE);
  EXPECT_EQ(this->lib.EnterMasterKey(h, 0x10, response), 7);
  EXPECT_EQ(response[0], 0xEE);  // nothing placed on failure
  EXPECT_EQ(this->Trace().back().status, 7);
  EXPECT_EQ(this->Trace().back().data, (Bytes{4, 0x10, 0}));  // no output recorded
  this->Fault("open", "");
  std::uint32_t other = 0;
  EXPECT_EQ(this->lib.Open(2, &other), st::kPortInUse);
  this->Fault("PinOpenParms", "1234");
  EXPECT_EQ(this->lib.Open(2, &other), st::kOk);  // PinOpen passes it by
  EXPECT_EQ(this->lib.OpenParms(2, &other), 1234);
  this->Fault("PinClose", "9");
  EXPECT_EQ(this->lib.Close(h), 9);
  EXPECT_EQ(this->lib.ReadSn(h, response), st::kInvalidHandle);  // released all the same
}

TYPED_TEST(PinPad, HandlesDieWithTheirCloseAndADetachedPadIsGone) {
  std::uint32_t h = this->Open();
  EXPECT_EQ(this->lib.Close(h), st::kOk);
  EXPECT_EQ(this->lib.Close(h), st::kInvalidHandle);
  EXPECT_EQ(this->lib.SetModeEnc(h), st::kInvalidHandle);
  std::vector<simdev::trace::Record> t = this->Trace();
  // A handle the library does not know reaches no device over the line, so no driver records
  // the call; the library's inside records it for port 0.
  ASSERT_EQ(t.size(), TypeParam::kOverTheLine ? 2u : 4u);
  EXPECT_EQ(t[1].data, Bytes{12});
  EXPECT_EQ(t[1].port, 2);
  if (!TypeParam::kOverTheLine) {
    EXPECT_EQ(t[2].port, 0);
  }
  h = this->Open();
  std::filesystem::remove(this->StatePath(2));
  EXPECT_EQ(this->lib.SetModeEnc(h), st::kDeviceGone);
  std::ofstream(this->StatePath(2)) << "model=8342\n";
  EXPECT_EQ(this->lib.SetModeEnc(h), st::kDamagedState);
}

TYPED_TEST(PinPad, NoTraceWhenTheDriversTracingIsOff) {
  simdev::trace::SetTracing(this->dir.Str(), "WNT4XPDD", false);
  std::uint32_t h = this->Open();
  this->lib.Close(h);
  EXPECT_TRUE(this->Trace().empty());
  EXPECT_TRUE(simdev::trace::Decode(simdev::trace::Read(this->dir.Str(), "WNT43PDD")).empty());
}

TEST(PinPadState, RoundTripAndDamagedFiles) {
  simdev::KeyValues s = simdev::NewPinPadState(4, simdev::kDefaultPinPadSerial, "HV");
  simdev::PinPad8342 pad;
  std::string error;
  ASSERT_TRUE(simdev::LoadPinPad(s, &pad, &error)) << error;
  EXPECT_EQ(pad.port, 4);
  EXPECT_TRUE(pad.encrypted);
  EXPECT_EQ(pad.pinLength, -1);
  EXPECT_EQ(s["serial"], "8342000000000001");
  EXPECT_EQ(s["mode"], "encrypted");
  EXPECT_EQ(s["master_key.8"], "none");
  const std::pair<std::string, std::string> damaged[] = {
      {"model", "8343"},
      {"serial", "83420000"},
      {"mode", "fast"},
      {"master_key.8", "0123"},
      {"pin_length", "G"},
      {"icv", "sha256:00"},
      {"hardware_version", "12345678901234567890123456789012"},
      {"working_key.07", simdev::KeyDigest(Bytes(8, 1))},  // no variant
      {"port", "70000"},
      {"entries", "2x"},
  };
  for (const auto& [key, value] : damaged) {
    simdev::KeyValues bad = s;
    bad[key] = value;
    EXPECT_FALSE(simdev::LoadPinPad(bad, &pad, &error)) << key;
  }
}

TEST(PinCalls, NamesAreTheLibrarysExports) {
  EXPECT_STREQ(simdev::PinFunctionName(simdev::PinCall::kOpen), "PinOpen");
  EXPECT_STREQ(simdev::PinFunctionName(simdev::PinCall::kLoadIcv), "PinLoadICV");
  EXPECT_STREQ(simdev::PinFunctionName(simdev::PinCall::kReadSn), "PinReadSN");
  EXPECT_STREQ(simdev::PinFunctionName(simdev::PinCall::kClose), "PinClose");
  EXPECT_EQ(static_cast<int>(simdev::PinCall::kClose), 12);
}

}  // namespace
