// The recording PinApi of the tests.
#include "wntdld42/FakePinApi.h"

#include <algorithm>

namespace wntdld42 {

namespace {

std::vector<std::uint8_t> Copy(const std::uint8_t* p, std::size_t n) {
  return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>{};
}

void Place(const std::vector<std::uint8_t>& from, std::uint8_t* to, std::size_t capacity) {
  if (to) std::copy_n(from.begin(), std::min(from.size(), capacity), to);
}

}  // namespace

// The output buffer as it was handed in is kept; on success it receives `from`.
Status FakePinApi::Answer(PinCall& call, const std::vector<std::uint8_t>& from, std::uint8_t* out,
                          std::size_t size) {
  call.outputBefore = Copy(out, size);
  Status s = Next(call.function);
  if (s == 0) Place(from, out, size);
  return s;
}

Status FakePinApi::Next(const std::string& function) {
  auto it = results.find(function);
  if (it == results.end() || it->second.empty()) return 0;
  Status s = it->second.front();
  it->second.pop_front();
  return s;
}

PinCall& FakePinApi::Add(const std::string& function, Handle handle) {
  PinCall& call = calls.emplace_back();
  call.function = function;
  call.handle = handle;
  return call;
}

std::vector<std::string> FakePinApi::Functions() const {
  std::vector<std::string> names;
  for (const PinCall& c : calls) names.push_back(c.function);
  return names;
}

void FakePinApi::HardwareVersion(const std::string& text) {
  diag.assign(text.begin(), text.end());
  if (diag.size() >= kDiagSize) diag.resize(kDiagSize - 1);
  diag.push_back(0);
}

Status FakePinApi::PinOpen(Handle* handle) {
  Add("PinOpen");
  Status s = Next("PinOpen");
  if (s == 0) *handle = handleValue;
  return s;
}

Status FakePinApi::PinOpenParms(Handle* handle, std::uint16_t port) {
  Add("PinOpenParms").a = port;
  Status s = Next("PinOpenParms");
  if (s == 0) *handle = handleValue;
  return s;
}

Status FakePinApi::PinLoadMasterKey(Handle handle, std::uint16_t keyType, const std::uint8_t* key,
                                    std::uint8_t* out) {
  PinCall& call = Add("PinLoadMasterKey", handle);
  call.a = keyType;
  call.data = Copy(key, (keyType & 0x10) ? 8 : 16);
  call.dataAt = key;
  return Answer(call, response, out, kResponseSize);
}

Status FakePinApi::PinEnterMasterKey(Handle handle, std::uint16_t keyType, std::uint8_t* out) {
  PinCall& call = Add("PinEnterMasterKey", handle);
  call.a = keyType;
  return Answer(call, response, out, kResponseSize);
}

Status FakePinApi::PinLoadKey(Handle handle, std::uint16_t keyId, std::uint16_t variant,
                              const std::uint8_t* key, std::uint8_t* out) {
  PinCall& call = Add("PinLoadKey", handle);
  call.a = keyId;
  call.b = variant;
  call.data = Copy(key, 8);
  call.dataAt = key;
  return Answer(call, response, out, kResponseSize);
}

Status FakePinApi::PinLoadICV(Handle handle, std::uint16_t variant, const std::uint8_t* icv) {
  PinCall& call = Add("PinLoadICV", handle);
  call.a = variant;
  call.data = Copy(icv, 8);
  call.dataAt = icv;
  return Next("PinLoadICV");
}

Status FakePinApi::PinLoadVerifParms(Handle handle, std::uint16_t pinLength,
                                     const std::uint8_t* table) {
  PinCall& call = Add("PinLoadVerifParms", handle);
  call.a = pinLength;
  call.data = Copy(table, 16);
  call.dataAt = table;
  return Next("PinLoadVerifParms");
}

Status FakePinApi::PinSetModeEnc(Handle handle) {
  Add("PinSetModeEnc", handle);
  return Next("PinSetModeEnc");
}

Status FakePinApi::PinSetModeClr(Handle handle) {
  Add("PinSetModeClr", handle);
  return Next("PinSetModeClr");
}

Status FakePinApi::PinReadSN(Handle handle, std::uint8_t* out) {
  PinCall& call = Add("PinReadSN", handle);
  return Answer(call, serial, out, kResponseSize);
}

Status FakePinApi::PinExecDevDiag(Handle handle, std::uint16_t code, std::uint8_t* buffer) {
  PinCall& call = Add("PinExecDevDiag", handle);
  call.a = code;
  return Answer(call, diag, buffer, kDiagSize);
}

Status FakePinApi::PinClose(Handle handle) {
  Add("PinClose", handle);
  return Next("PinClose");
}

}  // namespace wntdld42
