// The recording EftApi of the tests.
#include "eft/FakeEftApi.h"

#include <algorithm>

namespace eft {

Status FakeEftApi::Next(const std::string& function) {
  auto it = results.find(function);
  if (it == results.end() || it->second.empty()) return 0;
  Status s = it->second.front();
  it->second.pop_front();
  return s;
}

EftCall& FakeEftApi::Add(const std::string& function, Handle handle) {
  EftCall& call = calls.emplace_back();
  call.function = function;
  call.handle = handle;
  return call;
}

std::vector<std::string> FakeEftApi::Functions() const {
  std::vector<std::string> names;
  for (const EftCall& c : calls) names.push_back(c.function);
  return names;
}

Status FakeEftApi::EftOpen(Handle* handle) {
  Add("EftOpen");
  Status s = Next("EftOpen");
  if (s == 0) *handle = handleValue;
  return s;
}

Status FakeEftApi::EftOpenParms(Handle* handle, std::uint16_t port) {
  Add("EftOpenParms").port = port;
  Status s = Next("EftOpenParms");
  if (s == 0) *handle = handleValue;
  return s;
}

Status FakeEftApi::EftWrite(Handle handle, const std::uint8_t* frame, std::uint16_t length,
                            std::uint16_t* written) {
  EftCall& call = Add("EftWrite", handle);
  call.data.assign(frame, frame + length);
  call.count = length;
  Status s = Next("EftWrite");
  if (s == 0 && written) *written = length;
  return s;
}

Status FakeEftApi::EftRead(Handle handle, std::uint8_t* buffer, std::uint16_t capacity,
                           std::uint16_t* read) {
  Add("EftRead", handle).count = capacity;
  Status s = Next("EftRead");
  if (s != 0) return s;
  std::uint16_t n = 0;
  if (!answers.empty()) {
    const std::vector<std::uint8_t>& answer = answers.front();
    n = static_cast<std::uint16_t>(std::min<std::size_t>(answer.size(), capacity));
    std::copy_n(answer.begin(), n, buffer);
    answers.pop_front();
  }
  if (read) *read = n;
  return 0;
}

Status FakeEftApi::EftClose(Handle handle) {
  Add("EftClose", handle);
  return Next("EftClose");
}

Status FakeEftApi::EftDload(Handle handle, const char* path) {
  Add("EftDload", handle).path = path ? path : "";
  return Next("EftDload");
}

}  // namespace eft
