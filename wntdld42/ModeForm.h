// The Set Mode form as a port of its own: its radio buttons change the program's mode
// selection as they are clicked, which the generic entry dialogs of the Ui port cannot do.
#pragma once

#include <deque>
#include <vector>

namespace wntdld42 {

// The operator's last choice in the Set Mode form; encrypted until the first choice.
enum class Mode { kEncrypted, kClear };

class ModeForm {
 public:
  virtual ~ModeForm() = default;
  // Shows SETMODE, modal, with the button of `*selection` marked. Each click on a radio
  // button sets `*selection` at once. True when the form ended through its OK button, its only
  // way out; false when it ended otherwise (it died with the main window) or was not shown.
  virtual bool RunSetMode(Mode* selection) = 0;
};

// A ModeForm for tests: each showing takes the next list of clicks, applies them in order and
// presses OK (or, with `dies`, ends without it); it records the selection marked at each
// showing.
class ScriptedModeForm : public ModeForm {
 public:
  std::deque<std::vector<Mode>> clicks;
  std::vector<Mode> shownWith;
  bool dies = false;

  bool RunSetMode(Mode* selection) override {
    shownWith.push_back(*selection);
    if (!clicks.empty()) {
      for (Mode m : clicks.front()) *selection = m;
      clicks.pop_front();
    }
    return !dies;
  }
};

}  // namespace wntdld42
