// The real pause.
#include "ui/Pause.h"

#include <chrono>
#include <thread>

namespace ui {

void SleepPause::Wait(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace ui
