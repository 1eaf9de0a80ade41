// The inside of the stand-in WNT42PIN library: its calls (simdev/Calls.h) carried out on the
// emulated 8342 PIN pads of a state directory. It runs at the device's end of the serial
// line, in `simdev serve` (simdev/DeviceEnd.h); the DLL holds only the library's end.
// Portable, so it is tested natively.
//
// Every call leaves one trace record, laid out in README.md, "The emulated PIN pad" (Trace).
// Scripted faults: fault.<function name> (PinLoadKey, ...) hits the next call of that
// function, fault.open the next open, fault.call the next call on an open handle other than
// PinClose; each gives its code (decimal) as the call's status and leaves the pad as it was.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "simdev/Calls.h"

namespace simdev {

class PinLibrary : public PinCalls {
 public:
  explicit PinLibrary(std::string stateDir) : dir_(std::move(stateDir)) {}

  SIMDEV_PIN_CALLS(SIMDEV_OPEN_OVERRIDE, SIMDEV_NOTHING, SIMDEV_CALL_OVERRIDE)

  const std::string& StateDir() const { return dir_; }

 private:
  std::uint16_t OpenOn(PinCall call, std::uint16_t port, std::uint32_t* handle);
  // Runs one call on the pad of `handle`, `args` being its arguments after the handle: traces
  // them as the call's row (types, shape) says and, when no scripted fault hits and the call is
  // valid (no null pointer, `valuesOk`), lets `body` act on the pad: the call succeeds.
  template <typename... A, typename Body>
  std::uint16_t OnPad(PinCall call, std::uint32_t handle, std::tuple<A...> args, bool valuesOk,
                      Body body);
  void Record(PinCall call, std::uint16_t port, std::uint16_t status,
              std::vector<std::uint8_t> data = {}, std::uint8_t flags = 0);
  std::string StatePath(std::uint16_t port) const;

  std::string dir_;
  std::map<std::uint32_t, std::uint16_t> sessions_;  // handle -> port
  std::uint32_t next_ = 0x42000001;
};

}  // namespace simdev
