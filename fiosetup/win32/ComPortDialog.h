// The COM port dialog ("ComPort") over Win32, with a dialog procedure of its own: the
// generic dialog host of the suite has no list box.
#pragma once

#include <windows.h>

#include "fiosetup/Operations.h"

namespace fiosetup {

class Win32ComPortDialog : public ComPortDialog {
 public:
  Win32ComPortDialog(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  std::uint32_t Choose() override;

 private:
  HINSTANCE instance_;
  HWND owner_;
};

}  // namespace fiosetup
