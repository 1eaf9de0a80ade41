// The serial line: the frame's bytes, the reader's resynchronisation, the library's retries,
// and the line faults a server scripts, which must never make the device act twice.
#include <gtest/gtest.h>

#include <set>

#include "simdev/Line.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "tests/simdev/OverTheLine.h"
#include "tests/support/TempFolder.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "simdev/posix/TtyPort.h"
#endif

namespace {

using simdev::line::Bytes;
namespace line = simdev::line;

const Bytes kRequestFrame = {0x02, 'Q', 0x34, 0x12, 0x02, 0x00, 0xAA, 0xBB, 0xC3, 0xD9};

TEST(Line, AFrameIsStartKindSequenceLengthPayloadAndItsCrc) {
  EXPECT_EQ(line::Encode({line::kRequest, 0x1234, {0xAA, 0xBB}}), kRequestFrame);
}

TEST(Line, TheReaderFindsFramesInAnyPiecesAndPassesGarbledOnesBy) {
  const Bytes damaged = [] {
    Bytes b = kRequestFrame;
    b[6] ^= 0x01;
    return b;
  }();
  const Bytes tooLong = {0x02, 'Q', 0, 0, 0xFF, 0xFF};
  const Bytes badKind = {0x02, 'X', 0, 0, 0, 0};
  Bytes stream = {0x00, 0x7F};  // line noise before the start byte
  for (const Bytes* part : {&damaged, &tooLong, &badKind, &kRequestFrame})
    stream.insert(stream.end(), part->begin(), part->end());
  line::FrameReader reader;
  std::vector<line::Frame> frames;
  for (std::uint8_t byte : stream) {
    reader.Feed({&byte, 1});
    while (auto f = reader.Next()) frames.push_back(*f);
  }
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].sequence, 0x1234);
  EXPECT_EQ(frames[0].payload, (Bytes{0xAA, 0xBB}));
  EXPECT_GE(reader.TakeGarbled().size(), 3u);  // and any start byte inside a garbled frame
}

// A port whose other end answers from a script: per request sent, silence, a garbled answer,
// a refusal, or the answer.
class ScriptedPort : public line::Port {
 public:
  enum Reply { kSilence, kGarbled, kRefusal, kAnswer };
  explicit ScriptedPort(std::vector<Reply> script) : script_(std::move(script)) {}
  bool Send(std::span<const std::uint8_t> bytes) override {
    line::FrameReader r;
    r.Feed(bytes);
    auto request = r.Next();
    Reply reply = sent_ < script_.size() ? script_[sent_] : kSilence;
    ++sent_;
    if (!request || reply == kSilence) return true;
    line::Kind kind = reply == kRefusal ? line::kRefused : line::kAnswer;
    pending_ = line::Encode({kind, request->sequence, {0x00, 0x00}});
    if (reply == kGarbled) pending_.back() ^= 0xFF;
    return true;
  }
  std::uint64_t Milliseconds() override { return line::SteadyMilliseconds(); }
  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned) override {
    std::size_t n = std::min(capacity, pending_.size());
    std::copy_n(pending_.begin(), n, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  std::size_t sent_ = 0;

 private:
  std::vector<Reply> script_;
  Bytes pending_;
};

TEST(Line, TheLibraryRetriesSilenceRefusalsAndGarbledAnswersThenTellsWhichItWas) {
  using P = ScriptedPort;
  struct Case {
    std::vector<P::Reply> script;
    line::Outcome outcome;
    std::size_t sent;
  } cases[] = {
      {{P::kAnswer}, line::Outcome::kAnswered, 1},
      {{P::kSilence, P::kGarbled, P::kRefusal, P::kAnswer}, line::Outcome::kAnswered, 4},
      {{}, line::Outcome::kSilent, line::kAttempts},
      {{P::kSilence, P::kSilence, P::kSilence, P::kGarbled}, line::Outcome::kGarbled, 4},
  };
  for (const Case& c : cases) {
    P port(c.script);
    line::Client client(port, 7, 5);
    Bytes answer;
    EXPECT_EQ(client.Exchange(Bytes{0x01}, &answer), c.outcome);
    EXPECT_EQ(port.sent_, c.sent);
    EXPECT_EQ(client.Retries(), c.sent - 1);
  }
}

TEST(Line, ASuccessThatDoesNotCarryWhatTheCallPlacesIsAFailure) {
  overtheline::CannedDevice device;
  simdev::remote::RemoteEft eft(device.Opener(), overtheline::kTimeoutMs);
  simdev::remote::RemotePin pin(device.Opener(), overtheline::kTimeoutMs);
  auto opened = [] { return line::Writer().U16(0).U32(1).Take(); };
  const Bytes two(2, 0x5A), three(3, 0x5A);
  // EftRead into two bytes: cut short, too long, with more behind, and whole.
  const std::pair<Bytes, std::uint16_t> reads[] = {
      {line::Writer().U16(0).Take(), simdev::status::kGeneralFailure},
      {line::Writer().U16(0).Field(true, three).Take(), simdev::status::kGeneralFailure},
      {line::Writer().U16(0).Field(true, two).U8(0).Take(), simdev::status::kGeneralFailure},
      {line::Writer().U16(0).Field(true, two).Take(), simdev::status::kOk}};
  for (const auto& [answer, status] : reads) {
    std::uint32_t h = 0;
    device.answer = opened;
    ASSERT_EQ(eft.Open(3, &h), 0);
    device.answer = [&] { return answer; };
    std::uint8_t buffer[2] = {};
    std::uint16_t read = 0;
    EXPECT_EQ(eft.Read(h, buffer, sizeof buffer, &read), status);
    if (status == simdev::status::kOk) {
      EXPECT_EQ(read, sizeof buffer);
    }
  }
  // A fixed-size output comes whole or not at all.
  std::uint32_t h = 0;
  device.answer = opened;
  ASSERT_EQ(pin.OpenParms(2, &h), 0);
  device.answer = [&] { return line::Writer().U16(0).Field(true, three).Take(); };
  std::uint8_t serial[8];
  EXPECT_EQ(pin.ReadSn(h, serial), simdev::status::kGeneralFailure);
}

// Line faults through the whole line: the device's state file says what hits the next frames.
class LineFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(simdev::SaveKeyValues(
        Path(), simdev::NewPinPadState(2, simdev::kDefaultPinPadSerial, "8342 HW 02.10"), "t"));
  }
  std::string Path() { return dir.File(simdev::DeviceFileName(2, "8342")); }
  void Fault(const std::string& value, unsigned skip = 0) {
    simdev::KeyValues s;
    simdev::LoadKeyValues(Path(), &s);
    simdev::SetFault(s, "line", value, skip);
    simdev::SaveKeyValues(Path(), s, "t");
  }
  std::string Entries() {
    simdev::KeyValues s;
    simdev::LoadKeyValues(Path(), &s);
    return s["entries"];
  }
  support::TempFolder dir;
  overtheline::Devices devices{dir.Str()};
  simdev::remote::RemotePin pin{devices.Opener(), overtheline::kTimeoutMs};
};

TEST_F(LineFaults, ALostOrGarbledAnswerIsAskedForAgainAndTheDeviceActsOnce) {
  std::uint32_t h = 0;
  ASSERT_EQ(pin.OpenParms(2, &h), 0);
  std::uint8_t response[8];
  for (const char* fault : {"garble 1", "silence 2", "drop 1", "delay 5 1"}) {
    SCOPED_TRACE(fault);
    std::string before = Entries();
    Fault(fault);
    EXPECT_EQ(pin.EnterMasterKey(h, 0x10, response), 0);
    EXPECT_EQ(std::stoi(Entries()), std::stoi(before) + 1);  // one entry at the pad
  }
  Fault("silence 4");
  EXPECT_EQ(pin.SetModeClr(h), simdev::status::kLineSilent);
  Fault("garble 4");
  EXPECT_EQ(pin.SetModeClr(h), simdev::status::kLineGarbled);
  Fault("unplug", 1);  // the next frame passes, then nothing answers any more
  EXPECT_EQ(pin.SetModeClr(h), 0);
  EXPECT_EQ(pin.SetModeEnc(h), simdev::status::kLineSilent);
  EXPECT_EQ(pin.ReadSn(h, response), simdev::status::kLineSilent);

  // A garbled request is refused at once, with the number it seemed to carry.
  simdev::EftLibrary eft(dir.Str());
  simdev::PinLibrary inside(dir.Str());
  simdev::remote::ServedPort served(2, eft, inside);
  Bytes damaged = kRequestFrame;
  damaged[7] ^= 0x01;
  auto refusal = served.Take(damaged);
  ASSERT_FALSE(refusal.empty());  // and one for each start byte inside the garbled frame
  EXPECT_EQ(refusal[0], line::Encode({line::kRefused, 0x1234, {}}));

  // Each of these shows in the driver's trace as a line event.
  std::set<int> events;
  for (const auto& r : simdev::trace::Decode(simdev::trace::Read(dir.Str(), "WNT4XPDD")))
    if (r.kind == simdev::trace::kLineEvent) events.insert(r.data.at(0));
  namespace t = simdev::trace;
  EXPECT_EQ(events, (std::set<int>{t::kRepeated, t::kRefused, t::kDropped, t::kGarbled,
                                   t::kAnswerLost, t::kHeldBack, t::kUnplugged}));
}

#if !defined(_WIN32)
// The library's end on a Linux terminal, against the other end of a pseudo-terminal pair
// read and written here as `simdev serve` does.
class TtyLine : public ::testing::Test {
 protected:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string error;
    port = simdev::posix::OpenTty(ptsname(master), &error);
    ASSERT_TRUE(port) << error;
  }
  void TearDown() override {
    port.reset();
    if (master >= 0) close(master);
  }
  Bytes ReceiveAll(std::size_t n) {
    Bytes got;
    std::uint8_t buffer[64];
    while (got.size() < n) {
      std::size_t k = port->Receive(buffer, sizeof buffer, 2000);
      if (k == 0) break;
      got.insert(got.end(), buffer, buffer + k);
    }
    return got;
  }
  int master = -1;
  std::unique_ptr<line::Port> port;
};

TEST_F(TtyLine, BytesACookedTerminalWouldTranslateOrActOnCrossUnchangedBothWays) {
  // CR, LF, Ctrl-C, XON, XOFF, Ctrl-D, DEL, Ctrl-Z, 0xFF, and the start byte.
  const Bytes kTricky = {0x0D, 0x0A, 0x03, 0x11, 0x13, 0x04, 0x7F, 0x1A, 0xFF, 0x02, 0x00};
  ASSERT_TRUE(port->Send(kTricky));
  Bytes sent(kTricky.size());
  std::size_t n = 0;
  for (int i = 0; i < 100 && n < sent.size(); ++i) {
    ssize_t k = read(master, sent.data() + n, sent.size() - n);
    if (k > 0) n += static_cast<std::size_t>(k);
  }
  sent.resize(n);
  EXPECT_EQ(sent, kTricky);
  ASSERT_EQ(write(master, kTricky.data(), kTricky.size()), static_cast<ssize_t>(kTricky.size()));
  EXPECT_EQ(ReceiveAll(kTricky.size()), kTricky);
}

TEST_F(TtyLine, SilenceWaitsOutTheTimeOutAndBytesEndTheWaitAtOnce) {
  std::uint8_t buffer[16];
  std::uint64_t start = port->Milliseconds();
  EXPECT_EQ(port->Receive(buffer, sizeof buffer, 60), 0u);
  EXPECT_GE(port->Milliseconds() - start, 59u);
  std::thread writer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(write(master, "\x02", 1), 1);
  });
  start = port->Milliseconds();
  EXPECT_EQ(port->Receive(buffer, sizeof buffer, 10000), 1u);
  EXPECT_LT(port->Milliseconds() - start, 5000u);  // not the 10 s of the time-out
  writer.join();
}

// An exchange over the terminal with the device's end in a thread, then over a line whose
// other end has gone: the library's send fails and the call ends without its retries' waits.
TEST_F(TtyLine, AnExchangeCrossesTheTerminalAndAHungUpLineIsSilent) {
  struct Echo : line::Server {
    Bytes Answer(std::span<const std::uint8_t> r) override { return Bytes(r.rbegin(), r.rend()); }
  } echo;
  std::thread device([&] {
    std::uint8_t buffer[256];
    for (int i = 0; i < 200; ++i) {
      ssize_t k = read(master, buffer, sizeof buffer);
      if (k <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      for (const Bytes& f : echo.Take({buffer, static_cast<std::size_t>(k)}))
        EXPECT_EQ(write(master, f.data(), f.size()), static_cast<ssize_t>(f.size()));
      return;
    }
  });
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  line::Client client(*port, 0x4242, 2000);
  Bytes answer;
  EXPECT_EQ(client.Exchange(Bytes{0x11, 0x22, 0x0D}, &answer), line::Outcome::kAnswered);
  EXPECT_EQ(answer, (Bytes{0x0D, 0x22, 0x11}));
  EXPECT_EQ(client.Retries(), 0u);
  device.join();

  close(master);
  master = -1;
  EXPECT_FALSE(port->Send(Bytes{0x02}));
  std::uint64_t start = port->Milliseconds();
  EXPECT_EQ(client.Exchange(Bytes{0x01}, &answer), line::Outcome::kSilent);
  EXPECT_LT(port->Milliseconds() - start, 2000u);  // one attempt's time-out would be 2000 ms
}
#endif

}  // namespace
