// The Pause port: the suite's deliberate waits, real in the programs and recorded in tests.
#pragma once

namespace ui {

class Pause {
 public:
  virtual ~Pause() = default;
  virtual void Wait(unsigned milliseconds) = 0;
};

// Blocks the calling thread, as the programs do between their steps.
class SleepPause : public Pause {
 public:
  void Wait(unsigned milliseconds) override;
};

}  // namespace ui
