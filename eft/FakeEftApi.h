// A recording, scripted EftApi for tests: every call is kept with its arguments, every result
// and every answer the terminal gives is chosen by the test.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "eft/EftApi.h"

namespace eft {

struct EftCall {
  std::string function;            // "EftOpen", "EftOpenParms", "EftWrite", ...
  Handle handle = 0;               // the handle passed (not for the opens)
  std::uint16_t port = 0;          // EftOpenParms
  std::vector<std::uint8_t> data;  // EftWrite: the frame
  std::uint16_t count = 0;         // EftWrite: length; EftRead: capacity
  std::string path;                // EftDload
};

class FakeEftApi : public EftApi {
 public:
  // Results per function, taken one per call in order; a function without a scripted
  // result returns 0.
  std::map<std::string, std::deque<Status>> results;
  // What each successful EftRead places in the buffer, one answer per read; none: nothing.
  std::deque<std::vector<std::uint8_t>> answers;
  // The handle the opens hand out.
  Handle handleValue = 0x43000001;
  std::vector<EftCall> calls;

  void Script(const std::string& function, Status status) { results[function].push_back(status); }
  std::vector<std::string> Functions() const;  // names of the calls, in order

  Status EftOpen(Handle* handle) override;
  Status EftOpenParms(Handle* handle, std::uint16_t port) override;
  Status EftWrite(Handle handle, const std::uint8_t* frame, std::uint16_t length,
                  std::uint16_t* written) override;
  Status EftRead(Handle handle, std::uint8_t* buffer, std::uint16_t capacity,
                 std::uint16_t* read) override;
  Status EftClose(Handle handle) override;
  Status EftDload(Handle handle, const char* path) override;

 private:
  EftCall& Add(const std::string& function, Handle handle = 0);
  Status Next(const std::string& function);
};

}  // namespace eft
