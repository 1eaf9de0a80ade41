// The one wipe every module uses.
#include "base/Wipe.h"

namespace base {

void WipeBytes(void* data, std::size_t size) {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

void WipeText(std::string& text) {
  text.resize(text.capacity());  // growing to the capacity never moves the buffer
  WipeBytes(text.data(), text.size());
  text.clear();
}

}  // namespace base
