// The Pause port's test double: returns at once and remembers every requested wait, in order.
#pragma once

#include <vector>

#include "ui/Pause.h"

namespace ui {

class RecordedPause : public Pause {
 public:
  void Wait(unsigned milliseconds) override { waits.push_back(milliseconds); }
  std::vector<unsigned> waits;
};

}  // namespace ui
