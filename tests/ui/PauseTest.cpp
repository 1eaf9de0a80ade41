// The two pauses: the recorded one keeps every wait in order, the real one really waits.
#include <gtest/gtest.h>

#include <chrono>

#include "ui/Pause.h"
#include "ui/RecordedPause.h"

TEST(Pause, RecordedKeepsEveryWaitInOrder) {
  ui::RecordedPause pause;
  ui::Pause& port = pause;
  port.Wait(500);
  port.Wait(1000);
  port.Wait(500);
  EXPECT_EQ(pause.waits, (std::vector<unsigned>{500, 1000, 500}));
}

TEST(Pause, SleepWaitsAtLeastTheTimeAsked) {
  ui::SleepPause pause;
  auto start = std::chrono::steady_clock::now();
  pause.Wait(60);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
}
