// One command at a time: the rule every windowed program's main window follows.
#pragma once

#include <utility>

namespace ui {

// A command runs to its end, through its dialogs and message boxes, before another starts.
// Those dialogs pump the thread's messages, so a command or a close request can still reach
// the main window while one runs (posted by another program: the window itself is disabled).
// Such a request is dropped: run inside the running command it would stack its dialogs on the
// open one and could end the program under it; kept for later it would act after the user had
// moved on.
class CommandGate {
 public:
  bool Busy() const { return busy_; }

  // Runs `command` to its end unless a command is running; false when it was dropped.
  template <typename Command>
  bool Run(Command&& command) {
    if (busy_) return false;
    busy_ = true;
    std::forward<Command>(command)();
    busy_ = false;
    return true;
  }

 private:
  bool busy_ = false;
};

}  // namespace ui
