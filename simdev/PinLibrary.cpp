// The stand-in WNT42PIN library's functions over the emulated PIN pads.
#include "simdev/PinLibrary.h"

#include <algorithm>
#include <cstdlib>

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

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::span<const std::uint8_t> Bytes(const std::uint8_t* p, std::size_t n) { return {p, n}; }

}  // namespace

std::string PinLibrary::StatePath(std::uint16_t port) const {
  return JoinPath(dir_, DeviceFileName(port, kModel8342));
}

void PinLibrary::Record(PinCall call, std::uint16_t port, std::uint16_t status, Traced traced) {
  trace::Record r;
  r.kind = trace::kCall;
  r.flags = traced.masked ? trace::kKeyMasked : 0;
  r.model = 8342;
  r.port = port;
  r.status = status;
  r.data.push_back(static_cast<std::uint8_t>(call));
  r.data.insert(r.data.end(), traced.data.begin(), traced.data.end());
  trace::Append(dir_, trace::kDriver4X, std::move(r));
}

std::uint16_t PinLibrary::OpenOn(PinCall call, std::uint16_t port, std::uint32_t* handle) {
  Traced traced;
  if (call == PinCall::kOpenParms) Put16(traced.data, port);
  std::uint16_t status = status::kOk;
  KeyValues state;
  LoadResult loaded = handle ? LoadKeyValues(StatePath(port), &state) : LoadResult::kMissing;
  PinPad8342 pad;
  std::string error;
  if (!handle) {
    status = status::kInvalidParameter;
  } else if (loaded == LoadResult::kMissing) {
    status = status::kNoDevice;
  } else if (loaded == LoadResult::kMalformed || !LoadPinPad(state, &pad, &error)) {
    status = status::kDamagedState;
  } else {
    KeyValues before = state;
    auto fault = TakeFault(state, PinFunctionName(call));
    if (!fault) fault = TakeFault(state, faults::kOpen);
    if (state != before) SaveKeyValues(StatePath(port), state, kTitle);
    if (fault) status = faults::StatusCode(*fault, status::kPortInUse);
  }
  if (status == status::kOk) {
    std::uint32_t h = next_++;
    sessions_[h] = port;
    *handle = h;
  }
  Record(call, port, status, std::move(traced));
  return status;
}

std::uint16_t PinLibrary::Open(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinCall::kOpen, port, handle);
}

std::uint16_t PinLibrary::OpenParms(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinCall::kOpenParms, port, handle);
}

template <typename Body>
std::uint16_t PinLibrary::OnPad(PinCall call, std::uint32_t handle, Traced traced, Body body) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) {
    Record(call, 0, status::kInvalidHandle, std::move(traced));
    return status::kInvalidHandle;
  }
  std::uint16_t port = session->second;
  std::uint16_t status = status::kOk;
  std::vector<std::uint8_t> output;
  KeyValues state;
  LoadResult loaded = LoadKeyValues(StatePath(port), &state);
  PinPad8342 pad;
  std::string error;
  if (loaded == LoadResult::kMissing) {
    status = status::kDeviceGone;
  } else if (loaded == LoadResult::kMalformed || !LoadPinPad(state, &pad, &error)) {
    status = status::kDamagedState;
  } else {
    KeyValues before = state;
    auto fault = TakeFault(state, PinFunctionName(call));
    if (!fault) fault = TakeFault(state, faults::kCall);
    if (fault) {
      status = faults::StatusCode(*fault, status::kGeneralFailure);
    } else {
      status = body(pad, &output);
      if (status == status::kOk) StorePinPad(pad, &state);
    }
    if (state != before) SaveKeyValues(StatePath(port), state, kTitle);
  }
  if (status == status::kOk) traced.data.insert(traced.data.end(), output.begin(), output.end());
  Record(call, port, status, std::move(traced));
  return status;
}

namespace {

void MaskedBytes(std::vector<std::uint8_t>& data, std::size_t n) { data.insert(data.end(), n, 0); }

}  // namespace

std::uint16_t PinLibrary::LoadMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                        const std::uint8_t* key, std::uint8_t* response) {
  Traced traced;
  Put16(traced.data, keyType);
  std::size_t n = MasterKeyLength(keyType);
  bool valid = key && response && n > 0;
  if (valid) {
    MaskedBytes(traced.data, n);
    traced.masked = true;
  }
  return OnPad(PinCall::kLoadMasterKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return status::kInvalidParameter;
                 StoredKey& slot = n == 8 ? pad.masterKey8 : pad.masterKey16;
                 slot.digest = KeyDigest(Bytes(key, n));
                 slot.source = (keyType & 1) ? "loaded-encrypted" : "loaded";
                 auto check = CheckValue(Bytes(key, n));
                 std::copy(check.begin(), check.end(), response);
                 out->assign(check.begin(), check.end());
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::EnterMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                         std::uint8_t* response) {
  Traced traced;
  Put16(traced.data, keyType);
  std::size_t n = MasterKeyLength(keyType);
  bool valid = response && n > 0;
  return OnPad(PinCall::kEnterMasterKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return status::kInvalidParameter;
                 // The entry at the pad's keys is over at once: the emulated operator keys in
                 // a key of its own.
                 std::uint8_t entered[16] = {};
                 EnteredKey(pad.port, ++pad.entries, std::span<std::uint8_t>(entered, n));
                 StoredKey& slot = n == 8 ? pad.masterKey8 : pad.masterKey16;
                 slot.digest = KeyDigest(Bytes(entered, n));
                 slot.source = (keyType & 1) ? "entered-dual" : "entered-single";
                 auto check = CheckValue(Bytes(entered, n));
                 base::WipeBytes(entered, sizeof entered);
                 std::copy(check.begin(), check.end(), response);
                 out->assign(check.begin(), check.end());
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::LoadKey(std::uint32_t handle, std::uint16_t keyId, std::uint16_t variant,
                                  const std::uint8_t* key, std::uint8_t* response) {
  Traced traced;
  Put16(traced.data, keyId);
  Put16(traced.data, variant);
  bool valid = key && response && keyId <= 0xFF && variant <= 0xFF;
  if (valid) {
    MaskedBytes(traced.data, 8);
    traced.masked = true;
  }
  return OnPad(PinCall::kLoadKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return status::kInvalidParameter;
                 StoredKey& slot = pad.workingKeys[static_cast<std::uint8_t>(keyId)];
                 slot.digest = KeyDigest(Bytes(key, 8));
                 slot.variant = static_cast<std::uint8_t>(variant);
                 auto check = CheckValue(Bytes(key, 8));
                 std::copy(check.begin(), check.end(), response);
                 out->assign(check.begin(), check.end());
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::LoadIcv(std::uint32_t handle, std::uint16_t variant,
                                  const std::uint8_t* icv) {
  Traced traced;
  Put16(traced.data, variant);
  bool valid = icv && variant <= 0xFF;
  if (valid) {
    MaskedBytes(traced.data, 8);
    traced.masked = true;
  }
  return OnPad(PinCall::kLoadIcv, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 if (!valid) return status::kInvalidParameter;
                 pad.icv.digest = KeyDigest(Bytes(icv, 8));
                 pad.icv.variant = static_cast<std::uint8_t>(variant);
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::LoadVerifParms(std::uint32_t handle, std::uint16_t pinLength,
                                         const std::uint8_t* table) {
  Traced traced;
  Put16(traced.data, pinLength);
  bool valid = table && pinLength <= 15;
  if (valid) {
    MaskedBytes(traced.data, 16);
    traced.masked = true;
  }
  return OnPad(PinCall::kLoadVerifParms, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 if (!valid) return status::kInvalidParameter;
                 pad.pinLength = pinLength;
                 pad.decimalizationTable = KeyDigest(Bytes(table, 16));
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::SetModeEnc(std::uint32_t handle) {
  return OnPad(PinCall::kSetModeEnc, handle, {}, [](PinPad8342& pad, std::vector<std::uint8_t>*) {
    // Encrypted mode destroys the encryption (working) keys.
    pad.encrypted = true;
    pad.workingKeys.clear();
    return status::kOk;
  });
}

std::uint16_t PinLibrary::SetModeClr(std::uint32_t handle) {
  return OnPad(PinCall::kSetModeClr, handle, {}, [](PinPad8342& pad, std::vector<std::uint8_t>*) {
    pad.encrypted = false;
    return status::kOk;
  });
}

std::uint16_t PinLibrary::ReadSn(std::uint32_t handle, std::uint8_t* serial) {
  return OnPad(PinCall::kReadSn, handle, {}, [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
    if (!serial) return status::kInvalidParameter;
    std::copy(pad.serial.begin(), pad.serial.end(), serial);
    out->assign(pad.serial.begin(), pad.serial.end());
    return status::kOk;
  });
}

std::uint16_t PinLibrary::ExecDevDiag(std::uint32_t handle, std::uint16_t code,
                                      std::uint8_t* buffer) {
  Traced traced;
  Put16(traced.data, code);
  return OnPad(PinCall::kExecDevDiag, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!buffer || code != 3) return status::kInvalidParameter;
                 const std::string& text = pad.hardwareVersion;
                 std::size_t n = std::min(text.size(), PinPad8342::kMaxHardwareVersion);
                 std::copy_n(text.begin(), n, buffer);
                 buffer[n] = 0;
                 out->assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
                 return status::kOk;
               });
}

std::uint16_t PinLibrary::Close(std::uint32_t handle) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) {
    Record(PinCall::kClose, 0, status::kInvalidHandle, {});
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
  Record(PinCall::kClose, port, status, {});
  return status;
}

}  // namespace simdev
