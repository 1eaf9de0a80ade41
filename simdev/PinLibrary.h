// The inside of the stand-in WNT42PIN library: its calls (simdev/Calls.h) carried out on the
// emulated 8342 PIN pads of a state directory. It runs at the device's end of the serial
// line, in `simdev serve` (simdev/DeviceEnd.h); the DLL holds only the library's end.
// Portable, so it is tested natively.
//
// Every call is recorded in the trace of the family's port driver WNT4XPDD as one record of
// kind 4 (library call), model 8342, the pad's port (0 when the handle is unknown) and the
// call's status. Its data:
//   byte 0      the function: 1 PinOpen, 2 PinOpenParms, 3 PinLoadMasterKey,
//               4 PinEnterMasterKey, 5 PinLoadKey, 6 PinLoadICV, 7 PinLoadVerifParms,
//               8 PinSetModeEnc, 9 PinSetModeClr, 10 PinReadSN, 11 PinExecDevDiag, 12 PinClose
//   then        its number arguments in order, 2 bytes each, little-endian (port, key type,
//               key ID and variant descriptor, variant descriptor, PIN length, diagnostic code)
//   then        its byte arguments (key, ICV, decimalization table) replaced by as many zero
//               bytes, with flag bit 0 (key material masked) set
//   then, when the status is 0, what the call returned: the 8 response bytes, the 8 serial
//               number bytes, or the hardware-version text without its zero byte.
// A call refused for a null pointer, an unknown key type or a value out of range records the
// function and its number arguments only. A call on an unknown handle records port 0.
// Scripted faults: fault.<function name> (PinLoadKey, ...) hits the next call of that
// function, fault.open the next open, fault.call the next call on an open handle other than
// PinClose; each gives its code (decimal) as the call's status and leaves the pad as it was.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "simdev/Calls.h"

namespace simdev {

class PinLibrary : public PinCalls {
 public:
  explicit PinLibrary(std::string stateDir) : dir_(std::move(stateDir)) {}

  SIMDEV_PIN_CALLS(SIMDEV_OPEN_OVERRIDE, SIMDEV_NOTHING, SIMDEV_CALL_OVERRIDE)

  const std::string& StateDir() const { return dir_; }

 private:
  struct Pad;
  struct Traced {
    std::vector<std::uint8_t> data;
    bool masked = false;
  };
  std::uint16_t OpenOn(PinCall call, std::uint16_t port, std::uint32_t* handle);
  // Runs one call on the pad of `handle`: loads its state, takes a scripted fault, lets
  // `body` act on the pad (its status; output bytes go to `output`), saves and traces.
  template <typename Body>
  std::uint16_t OnPad(PinCall call, std::uint32_t handle, Traced traced, Body body);
  void Record(PinCall call, std::uint16_t port, std::uint16_t status, Traced traced);
  std::string StatePath(std::uint16_t port) const;

  std::string dir_;
  std::map<std::uint32_t, std::uint16_t> sessions_;  // handle -> port
  std::uint32_t next_ = 0x42000001;
};

}  // namespace simdev
