// The Set Mode form over Win32: the SETMODE template with a dialog procedure of its own.
#pragma once

#include <windows.h>

#include "wntdld42/ModeForm.h"

namespace wntdld42 {

class Win32ModeForm : public ModeForm {
 public:
  Win32ModeForm(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  bool RunSetMode(Mode* selection) override;

 private:
  HINSTANCE instance_;
  HWND owner_;
};

}  // namespace wntdld42
