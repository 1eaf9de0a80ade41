// Fuzzes the two readers of the serial line with one input. The first byte chooses the end:
//   0  the input arrives at a device's end (a device in memory, so that a run costs no file):
//      frame reader, refusals, replays. The input taken whole and taken in pieces (of 1 to 32
//      bytes, by the first byte's top bits) must give the same frames back; each one read
//      back is exactly one answer or refusal, and an answer carries what the device made of
//      its request;
//   1  the input is a request the device's end carries out: the request reader and the
//      libraries' insides behind it, on a state directory with a terminal and a pad;
//   2  the input is the payload of every answer a library reads: the answer readers of the
//      EFT calls (the download's too), of the PIN pad calls and of a driver's PddTrace;
//   3  the input is what a library reads off the line as it stands: its frame reader.
// Nothing may crash, read out of bounds or hang; a library never places more than its
// caller's buffer holds (checked by the sanitizers on exact-size buffers). Every run of mode 1
// starts from the same state directory: a newly attached terminal on COM3, a pad on COM2, the
// drivers' traces empty and, when bit 2 of the first byte is set, switched off.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "base/PlainFile.h"
#include "simdev/DeviceEnd.h"
#include "simdev/LibraryEnd.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Terminal8343.h"
#include "simdev/Trace.h"
#include "tests/support/Broken.h"
#include "tests/support/TempFolder.h"

namespace {

namespace line = simdev::line;

// Answers each request with the fuzz input: framed around it (mode 2), or as raw bytes.
class FuzzPort : public line::Port {
 public:
  FuzzPort(const std::uint8_t* data, std::size_t size, bool framed)
      : data_(data, data + size), framed_(framed) {}
  bool Send(std::span<const std::uint8_t> bytes) override {
    line::FrameReader r;
    r.Feed(bytes);
    auto request = r.Next();
    if (!request) return false;
    pending_ = framed_ && data_.size() <= line::kMaxPayload
                   ? line::Encode({line::kAnswer, request->sequence, data_})
                   : data_;
    return true;
  }
  std::uint64_t Milliseconds() override { return line::SteadyMilliseconds(); }
  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned) override {
    std::size_t n = std::min(capacity, pending_.size());
    std::copy_n(pending_.begin(), n, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }

 private:
  line::Bytes data_, pending_;
  bool framed_;
};

using support::Broken;

// A device's end with no device behind it: it answers a request with its bytes reversed, and
// counts what it carries out, repeats and refuses.
class MemoryServer : public line::Server {
 public:
  line::Bytes Answer(std::span<const std::uint8_t> request) override {
    ++carriedOut;
    if (request.size() > line::kMaxPayload) Broken("a request longer than a frame holds");
    return line::Bytes(request.rbegin(), request.rend());
  }
  unsigned carriedOut = 0, repeated = 0, refused = 0;

 protected:
  void Repeated(std::uint16_t) override { ++repeated; }
  void Refused(std::uint16_t) override { ++refused; }
};

struct Taken {
  line::Bytes sent;  // the frames sent back, one after the other
  unsigned frames = 0, carriedOut = 0, repeated = 0, refused = 0;
  bool operator==(const Taken&) const = default;
};

Taken TakeIn(std::span<const std::uint8_t> input, std::size_t piece) {
  MemoryServer server;
  Taken t;
  for (std::size_t at = 0; at < input.size(); at += piece) {
    for (const line::Bytes& frame :
         server.Take(input.subspan(at, std::min(piece, input.size() - at)))) {
      t.sent.insert(t.sent.end(), frame.begin(), frame.end());
      ++t.frames;
    }
  }
  t.carriedOut = server.carriedOut;
  t.repeated = server.repeated;
  t.refused = server.refused;
  return t;
}

void DeviceEnd(std::span<const std::uint8_t> input, std::size_t piece) {
  const Taken whole = TakeIn(input, input.size() + 1);
  if (!(TakeIn(input, piece) == whole))
    Broken("the pieces the bytes came in changed the frames sent");
  if (whole.frames != whole.carriedOut + whole.repeated + whole.refused)
    Broken("a frame sent for no request and no refusal");
  // What went back reads as whole frames only, an answer or a refusal each.
  line::FrameReader back;
  back.Feed(whole.sent);
  unsigned frames = 0;
  while (auto f = back.Next()) {
    ++frames;
    if (f->kind == line::kRequest || (f->kind == line::kRefused && !f->payload.empty()))
      Broken("a frame sent back that is neither an answer nor a refusal");
    if (f->kind == line::kAnswer) {
      // The answer is the request reversed: the request came in with its own frame.
      line::Bytes request(f->payload.rbegin(), f->payload.rend());
      line::Bytes encoded = line::Encode({line::kRequest, f->sequence, request});
      if (std::search(input.begin(), input.end(), encoded.begin(), encoded.end()) == input.end())
        Broken("an answer to a request that did not come");
    }
  }
  if (frames != whole.frames || !back.TakeGarbled().empty()) Broken("garbled frames sent back");
}

// The state directory of this process, removed at its end.
const std::string& StateDir() {
  static const support::TempFolder folder("fuzz-line");
  static const std::string dir = folder.Str();
  return dir;
}

// Every run starts from the same devices and empty traces: an input does the same whatever
// ran before it (so a finding reproduces from its input alone), and the state and traces do
// not grow from run to run. A state file is written anew only when a run replaced it (every
// save renames a new file into place, so the file then has another inode).
void ResetState(bool tracing) {
  struct File {
    std::string path, text;
    ino_t inode = 0;
  };
  static File files[] = {{simdev::JoinPath(StateDir(), "COM3-8343"),
                          *simdev::FormatKeyValues(simdev::NewTerminalState(3, 2), "t")},
                         {simdev::JoinPath(StateDir(), "COM2-8342"),
                          *simdev::FormatKeyValues(
                              simdev::NewPinPadState(2, simdev::kDefaultPinPadSerial, "HW"), "t")}};
  static const std::string settingsPath = simdev::JoinPath(StateDir(), "simdev.cfg");
  static const std::string tracingOff =
      *simdev::FormatKeyValues({{std::string("trace.") + simdev::trace::kDriver43, "off"},
                                {std::string("trace.") + simdev::trace::kDriver4X, "off"}},
                               "t");
  static bool off = false;
  if (off == tracing) {
    if (tracing)
      std::remove(settingsPath.c_str());
    else
      base::WriteWholeFile(settingsPath, tracingOff);
    off = !tracing;
  }
  for (File& f : files) {
    struct stat info {};
    if (f.inode != 0 && stat(f.path.c_str(), &info) == 0 && info.st_ino == f.inode) continue;
    base::WriteWholeFile(f.path, f.text);
    f.inode = stat(f.path.c_str(), &info) == 0 ? info.st_ino : 0;
  }
  for (const char* driver : {simdev::trace::kDriver43, simdev::trace::kDriver4X}) {
    std::string path = simdev::JoinPath(StateDir(), simdev::trace::TraceFileName(driver));
    if (access(path.c_str(), F_OK) == 0) simdev::trace::Clear(StateDir(), driver);
  }
}

void Libraries(const std::uint8_t* data, std::size_t size, bool framed) {
  simdev::remote::Opener opener = [&](std::uint16_t, std::uint16_t*) {
    return std::make_unique<FuzzPort>(data, size, framed);
  };
  simdev::remote::RemoteEft eft(opener, 0);
  std::uint32_t h = 0;
  if (eft.Open(3, &h) == 0) {
    std::uint8_t frame[2] = {0x0E, 0x02}, answer[7];
    std::uint16_t n = 0;
    eft.Write(h, frame, 2, &n);
    eft.Read(h, answer, sizeof answer, &n);
    eft.Dload(h, nullptr);
    eft.Close(h);
  }
  simdev::remote::RemotePin pin(opener, 0);
  if (pin.OpenParms(2, &h) == 0) {
    std::uint8_t key[16] = {}, response[8], serial[8], version[32];
    pin.LoadMasterKey(h, 0x00, key, response);
    pin.EnterMasterKey(h, 0x10, response);
    pin.ReadSn(h, serial);
    pin.ExecDevDiag(h, 3, version);
    pin.Close(h);
  }
  std::vector<unsigned char> trace(simdev::trace::kCapacity);  // the drivers' caller's buffer
  simdev::remote::RemotePddTrace(opener, 1, simdev::trace::kDriver43, trace.data(), 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t first = data[0], mode = first % 4;
  const bool tracing = (first & 4) == 0;
  ++data;
  --size;
  if (mode == 0) {
    DeviceEnd({data, size}, 1 + (first >> 3));
  } else if (mode == 1) {
    ResetState(tracing);
    simdev::EftLibrary eft(StateDir());
    simdev::PinLibrary pin(StateDir());
    simdev::remote::ServedPort port(size > 0 && data[0] % 2 ? 3 : 2, eft, pin);
    port.Answer({data, size});
  } else {
    Libraries(data, size, mode == 2);
  }
  return 0;
}
