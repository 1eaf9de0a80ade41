// The device end of the stand-in WNT42PIN library: the twelve Pin functions over the emulated
// 8342 PIN pads of a state directory. Portable, so it is tested natively; `simdev serve`
// answers the DLL's calls on the serial line with it (simdev/Remote.h).
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

namespace simdev {

// Library statuses besides 0. The values follow the Win32 error codes of the same meaning.
namespace pinstatus {
inline constexpr std::uint16_t kOk = 0;
inline constexpr std::uint16_t kNoDevice = 2;           // no PIN pad attached on that port
inline constexpr std::uint16_t kPortInUse = 5;          // scripted open failure (default code)
inline constexpr std::uint16_t kInvalidHandle = 6;      // handle not open (or closed)
inline constexpr std::uint16_t kDamagedState = 13;      // the pad's state file is damaged
inline constexpr std::uint16_t kInvalidParameter = 87;  // null pointer, bad key type, value
                                                        // out of range, unknown diagnostic
inline constexpr std::uint16_t kDeviceGone = 1167;      // pad detached after the open
}  // namespace pinstatus

enum class PinFunction : std::uint8_t {
  kOpen = 1,
  kOpenParms,
  kLoadMasterKey,
  kEnterMasterKey,
  kLoadKey,
  kLoadIcv,
  kLoadVerifParms,
  kSetModeEnc,
  kSetModeClr,
  kReadSn,
  kExecDevDiag,
  kClose,
};
// "PinLoadKey" for kLoadKey: also the name of the fault that scripts that function.
const char* PinFunctionName(PinFunction function);
// Key bytes of a master-key type: 8, 16, or 0 for a type the pad does not know.
std::size_t MasterKeyLength(std::uint16_t keyType);

class PinLibrary {
 public:
  explicit PinLibrary(std::string stateDir) : dir_(std::move(stateDir)) {}

  // PinOpen (the port the library found in the registry) and PinOpenParms.
  std::uint16_t Open(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t OpenParms(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t LoadMasterKey(std::uint32_t handle, std::uint16_t keyType, const std::uint8_t* key,
                              std::uint8_t* response);
  std::uint16_t EnterMasterKey(std::uint32_t handle, std::uint16_t keyType, std::uint8_t* response);
  std::uint16_t LoadKey(std::uint32_t handle, std::uint16_t keyId, std::uint16_t variant,
                        const std::uint8_t* key, std::uint8_t* response);
  std::uint16_t LoadIcv(std::uint32_t handle, std::uint16_t variant, const std::uint8_t* icv);
  std::uint16_t LoadVerifParms(std::uint32_t handle, std::uint16_t pinLength,
                               const std::uint8_t* table);
  std::uint16_t SetModeEnc(std::uint32_t handle);
  std::uint16_t SetModeClr(std::uint32_t handle);
  std::uint16_t ReadSn(std::uint32_t handle, std::uint8_t* serial);
  std::uint16_t ExecDevDiag(std::uint32_t handle, std::uint16_t code, std::uint8_t* buffer);
  std::uint16_t Close(std::uint32_t handle);

  const std::string& StateDir() const { return dir_; }

 private:
  struct Pad;
  struct Traced {
    std::vector<std::uint8_t> data;
    bool masked = false;
  };
  std::uint16_t OpenOn(PinFunction function, std::uint16_t port, std::uint32_t* handle);
  // Runs one call on the pad of `handle`: loads its state, takes a scripted fault, lets
  // `body` act on the pad (its status; output bytes go to `output`), saves and traces.
  template <typename Body>
  std::uint16_t OnPad(PinFunction function, std::uint32_t handle, Traced traced, Body body);
  void Record(PinFunction function, std::uint16_t port, std::uint16_t status, Traced traced);
  std::string StatePath(std::uint16_t port) const;

  std::string dir_;
  std::map<std::uint32_t, std::uint16_t> sessions_;  // handle -> port
  std::uint32_t next_ = 0x42000001;
};

}  // namespace simdev
