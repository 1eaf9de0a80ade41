// A recording, scripted PinApi for tests: every call is kept with its arguments, every result
// and every output the PIN pad gives is chosen by the test.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "wntdld42/PinApi.h"

namespace wntdld42 {

struct PinCall {
  std::string function;  // "PinOpen", "PinLoadKey", ...
  Handle handle = 0;     // the handle passed (not for the opens)
  std::uint16_t a = 0;   // first number: port, key type, key ID, variant (ICV), PIN length,
                         // diagnostic code
  std::uint16_t b = 0;   // second number: the variant descriptor of PinLoadKey
  std::vector<std::uint8_t> data;          // key, ICV or table bytes as passed
  const std::uint8_t* dataAt = nullptr;    // where the caller kept them
  std::vector<std::uint8_t> outputBefore;  // the output buffer as it was handed in
};

class FakePinApi : public PinApi {
 public:
  // Results per function, one per call in order; a function without one returns 0.
  std::map<std::string, std::deque<Status>> results;
  // What a successful call places in its output buffer.
  std::vector<std::uint8_t> response = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8};
  std::vector<std::uint8_t> serial = {0, 1, 2, 3, 4, 5, 6, 7};
  std::vector<std::uint8_t> diag;  // up to 32 bytes written by PinExecDevDiag
  Handle handleValue = 0x42000001;
  std::vector<PinCall> calls;

  void Script(const std::string& function, Status status) { results[function].push_back(status); }
  std::vector<std::string> Functions() const;  // names of the calls, in order
  // Sets `diag` to a zero-terminated text (cut to fit the 32 bytes).
  void HardwareVersion(const std::string& text);

  Status PinOpen(Handle* handle) override;
  Status PinOpenParms(Handle* handle, std::uint16_t port) override;
  Status PinLoadMasterKey(Handle handle, std::uint16_t keyType, const std::uint8_t* key,
                          std::uint8_t* response) override;
  Status PinEnterMasterKey(Handle handle, std::uint16_t keyType, std::uint8_t* response) override;
  Status PinLoadKey(Handle handle, std::uint16_t keyId, std::uint16_t variant,
                    const std::uint8_t* key, std::uint8_t* response) override;
  Status PinLoadICV(Handle handle, std::uint16_t variant, const std::uint8_t* icv) override;
  Status PinLoadVerifParms(Handle handle, std::uint16_t pinLength,
                           const std::uint8_t* table) override;
  Status PinSetModeEnc(Handle handle) override;
  Status PinSetModeClr(Handle handle) override;
  Status PinReadSN(Handle handle, std::uint8_t* serial) override;
  Status PinExecDevDiag(Handle handle, std::uint16_t code, std::uint8_t* buffer) override;
  Status PinClose(Handle handle) override;

 private:
  PinCall& Add(const std::string& function, Handle handle = 0);
  Status Next(const std::string& function);
  Status Answer(PinCall& call, const std::vector<std::uint8_t>& from, std::uint8_t* out,
                std::size_t size);
};

}  // namespace wntdld42
