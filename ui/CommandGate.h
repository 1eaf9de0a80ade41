// One command at a time: the rule every windowed program's main window follows, and what a
// command asks of that window when it ends.
#pragma once

#include <utility>

namespace ui {

// What the main window does once a menu command (or a close request) has ended.
enum class After {
  kNothing,  // the command ran to its end, or was not one of the menu's
  kRepaint,  // what the window shows has changed
  kClose,    // the program ends: the window is destroyed
};

// A command runs to its end, through its dialogs and message boxes, before another starts.
// Those dialogs pump the thread's messages, so a command or a close request can still reach
// the main window while one runs (posted by another program: the window itself is disabled).
// Such a request is dropped: run inside the running command it would stack its dialogs on the
// open one and could end the program under it; kept for later it would act after the user had
// moved on.
class CommandGate {
 public:
  // Runs `command` to its end and gives its result, unless a command is running: then
  // nothing runs and the result is kNothing.
  template <typename Command>
  After Run(Command&& command) {
    if (busy_) return After::kNothing;
    busy_ = true;
    After after = std::forward<Command>(command)();
    busy_ = false;
    return after;
  }

 private:
  bool busy_ = false;
};

}  // namespace ui
