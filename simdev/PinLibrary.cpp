// The stand-in WNT42PIN library's functions over the emulated PIN pads.
#include "simdev/PinLibrary.h"

#include <algorithm>
#include <cstdlib>

#include "base/Wipe.h"
#include "simdev/Digest.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Trace.h"

namespace simdev {

namespace {

constexpr char kTitle[] = "simdev: emulated 8342 PIN pad";
constexpr std::uint16_t kScriptedFailure = 31;  // a scripted fault without a usable code

std::uint16_t FaultCode(const std::string& value, std::uint16_t fallback) {
  char* end = nullptr;
  unsigned long code = std::strtoul(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || code == 0 || code > 0xFFFF) return fallback;
  return static_cast<std::uint16_t>(code);
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::span<const std::uint8_t> Bytes(const std::uint8_t* p, std::size_t n) { return {p, n}; }

}  // namespace

std::size_t MasterKeyLength(std::uint16_t keyType) {
  switch (keyType) {
    case 0x10:
    case 0x11:
      return 8;
    case 0x00:
    case 0x01:
      return 16;
    default:
      return 0;
  }
}

const char* PinFunctionName(PinFunction function) {
  static const char* const kNames[] = {
      "",           "PinOpen",        "PinOpenParms",      "PinLoadMasterKey", "PinEnterMasterKey",
      "PinLoadKey", "PinLoadICV",     "PinLoadVerifParms", "PinSetModeEnc",    "PinSetModeClr",
      "PinReadSN",  "PinExecDevDiag", "PinClose"};
  auto i = static_cast<std::size_t>(function);
  return i < std::size(kNames) ? kNames[i] : "";
}

std::string PinLibrary::StatePath(std::uint16_t port) const {
  return JoinPath(dir_, DeviceFileName(port, kModel8342));
}

void PinLibrary::Record(PinFunction function, std::uint16_t port, std::uint16_t status,
                        Traced traced) {
  trace::Record r;
  r.kind = trace::kCall;
  r.flags = traced.masked ? trace::kKeyMasked : 0;
  r.model = 8342;
  r.port = port;
  r.status = status;
  r.data.push_back(static_cast<std::uint8_t>(function));
  r.data.insert(r.data.end(), traced.data.begin(), traced.data.end());
  trace::Append(dir_, trace::kDriver4X, std::move(r));
}

std::uint16_t PinLibrary::OpenOn(PinFunction function, std::uint16_t port, std::uint32_t* handle) {
  Traced traced;
  if (function == PinFunction::kOpenParms) Put16(traced.data, port);
  std::uint16_t status = pinstatus::kOk;
  KeyValues state;
  LoadResult loaded = handle ? LoadKeyValues(StatePath(port), &state) : LoadResult::kMissing;
  PinPad8342 pad;
  std::string error;
  if (!handle) {
    status = pinstatus::kInvalidParameter;
  } else if (loaded == LoadResult::kMissing) {
    status = pinstatus::kNoDevice;
  } else if (loaded == LoadResult::kMalformed || !LoadPinPad(state, &pad, &error)) {
    status = pinstatus::kDamagedState;
  } else {
    KeyValues before = state;
    auto fault = TakeFault(state, PinFunctionName(function));
    if (!fault) fault = TakeFault(state, "open");
    if (state != before) SaveKeyValues(StatePath(port), state, kTitle);
    if (fault) status = FaultCode(*fault, pinstatus::kPortInUse);
  }
  if (status == pinstatus::kOk) {
    std::uint32_t h = next_++;
    sessions_[h] = port;
    *handle = h;
  }
  Record(function, port, status, std::move(traced));
  return status;
}

std::uint16_t PinLibrary::Open(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinFunction::kOpen, port, handle);
}

std::uint16_t PinLibrary::OpenParms(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinFunction::kOpenParms, port, handle);
}

template <typename Body>
std::uint16_t PinLibrary::OnPad(PinFunction function, std::uint32_t handle, Traced traced,
                                Body body) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) {
    Record(function, 0, pinstatus::kInvalidHandle, std::move(traced));
    return pinstatus::kInvalidHandle;
  }
  std::uint16_t port = session->second;
  std::uint16_t status = pinstatus::kOk;
  std::vector<std::uint8_t> output;
  KeyValues state;
  LoadResult loaded = LoadKeyValues(StatePath(port), &state);
  PinPad8342 pad;
  std::string error;
  if (loaded == LoadResult::kMissing) {
    status = pinstatus::kDeviceGone;
  } else if (loaded == LoadResult::kMalformed || !LoadPinPad(state, &pad, &error)) {
    status = pinstatus::kDamagedState;
  } else {
    KeyValues before = state;
    auto fault = TakeFault(state, PinFunctionName(function));
    if (!fault) fault = TakeFault(state, "call");
    if (fault) {
      status = FaultCode(*fault, kScriptedFailure);
    } else {
      status = body(pad, &output);
      if (status == pinstatus::kOk) StorePinPad(pad, &state);
    }
    if (state != before) SaveKeyValues(StatePath(port), state, kTitle);
  }
  if (status == pinstatus::kOk) traced.data.insert(traced.data.end(), output.begin(), output.end());
  Record(function, port, status, std::move(traced));
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
  return OnPad(PinFunction::kLoadMasterKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return pinstatus::kInvalidParameter;
                 StoredKey& slot = n == 8 ? pad.masterKey8 : pad.masterKey16;
                 slot.digest = KeyDigest(Bytes(key, n));
                 slot.source = (keyType & 1) ? "loaded-encrypted" : "loaded";
                 auto check = CheckValue(Bytes(key, n));
                 std::copy(check.begin(), check.end(), response);
                 out->assign(check.begin(), check.end());
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::EnterMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                         std::uint8_t* response) {
  Traced traced;
  Put16(traced.data, keyType);
  std::size_t n = MasterKeyLength(keyType);
  bool valid = response && n > 0;
  return OnPad(PinFunction::kEnterMasterKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return pinstatus::kInvalidParameter;
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
                 return pinstatus::kOk;
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
  return OnPad(PinFunction::kLoadKey, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!valid) return pinstatus::kInvalidParameter;
                 StoredKey& slot = pad.workingKeys[static_cast<std::uint8_t>(keyId)];
                 slot.digest = KeyDigest(Bytes(key, 8));
                 slot.variant = static_cast<std::uint8_t>(variant);
                 auto check = CheckValue(Bytes(key, 8));
                 std::copy(check.begin(), check.end(), response);
                 out->assign(check.begin(), check.end());
                 return pinstatus::kOk;
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
  return OnPad(PinFunction::kLoadIcv, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 if (!valid) return pinstatus::kInvalidParameter;
                 pad.icv.digest = KeyDigest(Bytes(icv, 8));
                 pad.icv.variant = static_cast<std::uint8_t>(variant);
                 return pinstatus::kOk;
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
  return OnPad(PinFunction::kLoadVerifParms, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 if (!valid) return pinstatus::kInvalidParameter;
                 pad.pinLength = pinLength;
                 pad.decimalizationTable = KeyDigest(Bytes(table, 16));
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::SetModeEnc(std::uint32_t handle) {
  return OnPad(PinFunction::kSetModeEnc, handle, {},
               [](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 // Encrypted mode destroys the encryption (working) keys.
                 pad.encrypted = true;
                 pad.workingKeys.clear();
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::SetModeClr(std::uint32_t handle) {
  return OnPad(PinFunction::kSetModeClr, handle, {},
               [](PinPad8342& pad, std::vector<std::uint8_t>*) {
                 pad.encrypted = false;
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::ReadSn(std::uint32_t handle, std::uint8_t* serial) {
  return OnPad(PinFunction::kReadSn, handle, {},
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!serial) return pinstatus::kInvalidParameter;
                 std::copy(pad.serial.begin(), pad.serial.end(), serial);
                 out->assign(pad.serial.begin(), pad.serial.end());
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::ExecDevDiag(std::uint32_t handle, std::uint16_t code,
                                      std::uint8_t* buffer) {
  Traced traced;
  Put16(traced.data, code);
  return OnPad(PinFunction::kExecDevDiag, handle, std::move(traced),
               [&](PinPad8342& pad, std::vector<std::uint8_t>* out) {
                 if (!buffer || code != 3) return pinstatus::kInvalidParameter;
                 const std::string& text = pad.hardwareVersion;
                 std::size_t n = std::min(text.size(), PinPad8342::kMaxHardwareVersion);
                 std::copy_n(text.begin(), n, buffer);
                 buffer[n] = 0;
                 out->assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
                 return pinstatus::kOk;
               });
}

std::uint16_t PinLibrary::Close(std::uint32_t handle) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) {
    Record(PinFunction::kClose, 0, pinstatus::kInvalidHandle, {});
    return pinstatus::kInvalidHandle;
  }
  std::uint16_t port = session->second;
  sessions_.erase(session);
  // A scripted failure is reported, yet the handle is released either way.
  std::uint16_t status = pinstatus::kOk;
  KeyValues state;
  if (LoadKeyValues(StatePath(port), &state) == LoadResult::kOk) {
    if (auto fault = TakeFault(state, PinFunctionName(PinFunction::kClose))) {
      status = FaultCode(*fault, kScriptedFailure);
      SaveKeyValues(StatePath(port), state, kTitle);
    }
  }
  Record(PinFunction::kClose, port, status, {});
  return status;
}

}  // namespace simdev
