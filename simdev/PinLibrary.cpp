// The stand-in WNT42PIN library's functions over the emulated PIN pads.
#include "simdev/PinLibrary.h"

#include <algorithm>
#include <type_traits>

#include "base/LittleEndian.h"
#include "base/Wipe.h"
#include "simdev/Digest.h"
#include "simdev/Faults.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Status.h"
#include "simdev/Trace.h"

namespace simdev {

namespace {

constexpr char kTitle[] = "simdev: emulated 8342 PIN pad";

using base::Put16;

// Keeps `key` in `slot` as its digest and answers its check value.
void Keep(StoredKey& slot, std::span<const std::uint8_t> key, std::uint8_t* response) {
  slot.digest = KeyDigest(key);
  auto check = CheckValue(key);
  std::copy(check.begin(), check.end(), response);
}

// Loads the pad of the state file `path` (`missing` without it), takes a scripted fault of
// `call`, else of `any` (its code, else `fallback`), else lets `act` act on the pad and its
// state; saves the file when that changed it.
template <typename Act>
std::uint16_t AtPad(const std::string& path, PinCall call, const char* any, std::uint16_t missing,
                    std::uint16_t fallback, Act act) {
  KeyValues state;
  LoadResult loaded = LoadKeyValues(path, &state);
  PinPad8342 pad;
  std::string error;
  if (loaded == LoadResult::kMissing) return missing;
  if (loaded == LoadResult::kMalformed || !LoadPinPad(state, &pad, &error))
    return status::kDamagedState;
  KeyValues before = state;
  auto fault = TakeFault(state, PinFunctionName(call));
  if (!fault) fault = TakeFault(state, any);
  std::uint16_t status = fault ? faults::StatusCode(*fault, fallback) : act(pad, state);
  if (state != before) SaveKeyValues(path, state, kTitle);
  return status;
}

}  // namespace

std::string PinLibrary::StatePath(std::uint16_t port) const {
  return JoinPath(dir_, DeviceFileName(port, kModel8342));
}

void PinLibrary::Record(PinCall call, std::uint16_t port, std::uint16_t status,
                        std::vector<std::uint8_t> data, std::uint8_t flags) {
  trace::Record r;
  r.kind = trace::kCall;
  r.flags = flags;
  r.model = 8342;
  r.port = port;
  r.status = status;
  r.data.push_back(static_cast<std::uint8_t>(call));
  r.data.insert(r.data.end(), data.begin(), data.end());
  trace::Append(dir_, trace::kDriver4X, std::move(r));
}

std::uint16_t PinLibrary::OpenOn(PinCall call, std::uint16_t port, std::uint32_t* handle) {
  std::uint16_t status =
      handle ? AtPad(StatePath(port), call, faults::kOpen, status::kNoDevice, status::kPortInUse,
                     [](PinPad8342&, KeyValues&) { return status::kOk; })
             : status::kInvalidParameter;
  if (status == status::kOk) {
    std::uint32_t h = next_++;
    sessions_[h] = port;
    *handle = h;
  }
  std::vector<std::uint8_t> data;
  if (call == PinCall::kOpenParms) Put16(data, port);
  Record(call, port, status, std::move(data));
  return status;
}

#define SIMDEV_OPEN_ON(method, ...)                                             \
  std::uint16_t PinLibrary::method(std::uint16_t port, std::uint32_t* handle) { \
    return OpenOn(PinCall::k##method, port, handle);                            \
  }
SIMDEV_PIN_CALLS(SIMDEV_OPEN_ON, SIMDEV_NOTHING, SIMDEV_NOTHING)

template <typename... A, typename Body>
std::uint16_t PinLibrary::OnPad(PinCall call, std::uint32_t handle, std::tuple<A...> args,
                                bool valuesOk, Body body) {
  const Shape& shape = kShapes[static_cast<std::size_t>(call)];
  // The trace's data: the numbers, then the byte argument as as many zero bytes, only when the
  // call is valid, then on success what the call placed (a text without its zero).
  std::vector<std::uint8_t> data;
  std::uint16_t first = 0, last = 0;
  bool valid = valuesOk;
  std::uint8_t* out = nullptr;
  auto argument = [&](auto v) {
    if constexpr (std::is_pointer_v<decltype(v)>) {
      valid = valid && v;
      if constexpr (std::is_same_v<decltype(v), std::uint8_t*>) out = v;
    } else {
      first = data.empty() ? v : first;
      last = v;
      Put16(data, v);
    }
  };
  std::apply([&](auto... a) { (argument(a), ...); }, args);
  std::size_t in = SizeOf(shape.in, first, last);
  std::uint8_t flags = valid && in > 0 ? trace::kKeyMasked : 0;
  if (flags) data.insert(data.end(), in, 0);
  auto session = sessions_.find(handle);
  bool known = session != sessions_.end();
  std::uint16_t port = known ? session->second : 0;
  std::uint16_t status =
      !known ? status::kInvalidHandle
             : AtPad(StatePath(port), call, faults::kCall, status::kDeviceGone,
                     status::kGeneralFailure, [&](PinPad8342& pad, KeyValues& state) {
                       if (!valid) return status::kInvalidParameter;
                       body(pad);
                       StorePinPad(pad, &state);
                       return status::kOk;
                     });
  if (status == status::kOk && out) {
    std::size_t n = SizeOf(shape.out, first, last);
    if (shape.out.how == Size::kText)
      n = static_cast<std::size_t>(std::find(out, out + n, 0) - out);
    data.insert(data.end(), out, out + n);
  }
  Record(call, port, status, std::move(data), flags);
  return status;
}

std::uint16_t PinLibrary::LoadMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                        const std::uint8_t* key, std::uint8_t* response) {
  std::size_t n = MasterKeyLength(keyType);
  return OnPad(PinCall::kLoadMasterKey, handle, std::tuple(keyType, key, response), n > 0,
               [&](PinPad8342& pad) {
                 StoredKey& slot = n == 8 ? pad.masterKey8 : pad.masterKey16;
                 slot.source = (keyType & 1) ? "loaded-encrypted" : "loaded";
                 Keep(slot, std::span(key, n), response);
               });
}

std::uint16_t PinLibrary::EnterMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                         std::uint8_t* response) {
  std::size_t n = MasterKeyLength(keyType);
  return OnPad(PinCall::kEnterMasterKey, handle, std::tuple(keyType, response), n > 0,
               [&](PinPad8342& pad) {
                 // The entry at the pad's keys is over at once: the emulated operator keys in
                 // a key of its own.
                 std::uint8_t entered[16] = {};
                 EnteredKey(pad.port, ++pad.entries, std::span(entered, n));
                 StoredKey& slot = n == 8 ? pad.masterKey8 : pad.masterKey16;
                 slot.source = (keyType & 1) ? "entered-dual" : "entered-single";
                 Keep(slot, std::span(entered, n), response);
                 base::WipeBytes(entered);
               });
}

std::uint16_t PinLibrary::LoadKey(std::uint32_t handle, std::uint16_t keyId, std::uint16_t variant,
                                  const std::uint8_t* key, std::uint8_t* response) {
  return OnPad(PinCall::kLoadKey, handle, std::tuple(keyId, variant, key, response),
               keyId <= 0xFF && variant <= 0xFF, [&](PinPad8342& pad) {
                 StoredKey& slot = pad.workingKeys[static_cast<std::uint8_t>(keyId)];
                 slot.variant = static_cast<std::uint8_t>(variant);
                 Keep(slot, std::span(key, 8), response);
               });
}

std::uint16_t PinLibrary::LoadIcv(std::uint32_t handle, std::uint16_t variant,
                                  const std::uint8_t* icv) {
  return OnPad(PinCall::kLoadIcv, handle, std::tuple(variant, icv), variant <= 0xFF,
               [&](PinPad8342& pad) {
                 pad.icv.digest = KeyDigest(std::span(icv, 8));
                 pad.icv.variant = static_cast<std::uint8_t>(variant);
               });
}

std::uint16_t PinLibrary::LoadVerifParms(std::uint32_t handle, std::uint16_t pinLength,
                                         const std::uint8_t* table) {
  return OnPad(PinCall::kLoadVerifParms, handle, std::tuple(pinLength, table), pinLength <= 15,
               [&](PinPad8342& pad) {
                 pad.pinLength = pinLength;
                 pad.decimalizationTable = KeyDigest(std::span(table, 16));
               });
}

std::uint16_t PinLibrary::SetModeEnc(std::uint32_t handle) {
  return OnPad(PinCall::kSetModeEnc, handle, std::tuple(), true, [](PinPad8342& pad) {
    // Encrypted mode destroys the encryption (working) keys.
    pad.encrypted = true;
    pad.workingKeys.clear();
  });
}

std::uint16_t PinLibrary::SetModeClr(std::uint32_t handle) {
  return OnPad(PinCall::kSetModeClr, handle, std::tuple(), true,
               [](PinPad8342& pad) { pad.encrypted = false; });
}

std::uint16_t PinLibrary::ReadSn(std::uint32_t handle, std::uint8_t* serial) {
  return OnPad(PinCall::kReadSn, handle, std::tuple(serial), true,
               [&](PinPad8342& pad) { std::copy(pad.serial.begin(), pad.serial.end(), serial); });
}

std::uint16_t PinLibrary::ExecDevDiag(std::uint32_t handle, std::uint16_t code,
                                      std::uint8_t* buffer) {
  return OnPad(PinCall::kExecDevDiag, handle, std::tuple(code, buffer), code == 3,
               [&](PinPad8342& pad) {
                 const std::string& text = pad.hardwareVersion;
                 std::size_t n = std::min(text.size(), PinPad8342::kMaxHardwareVersion);
                 std::copy_n(text.begin(), n, buffer);
                 buffer[n] = 0;
               });
}

std::uint16_t PinLibrary::Close(std::uint32_t handle) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) {
    Record(PinCall::kClose, 0, status::kInvalidHandle);
    return status::kInvalidHandle;
  }
  std::uint16_t port = session->second;
  sessions_.erase(session);
  // A scripted failure is reported, yet the handle is released either way.
  std::uint16_t status = status::kOk;
  KeyValues state;
  if (LoadKeyValues(StatePath(port), &state) == LoadResult::kOk) {
    if (auto fault = TakeFault(state, PinFunctionName(PinCall::kClose))) {
      status = faults::StatusCode(*fault, status::kGeneralFailure);
      SaveKeyValues(StatePath(port), state, kTitle);
    }
  }
  Record(PinCall::kClose, port, status);
  return status;
}

}  // namespace simdev
