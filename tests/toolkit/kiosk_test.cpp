// The desktop lock, on the offscreen platform where it records its state:
// locked and unlocked on every way out of a guarded block.
#include "kiosk.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(Kiosk, TheGuardUnlocksOnEveryWayOut) {
  EXPECT_FALSE(KioskLocked());
  {
    TKioskLock lock;
    EXPECT_TRUE(KioskLocked());
  }
  EXPECT_FALSE(KioskLocked());

  try {
    TKioskLock lock;
    throw std::runtime_error("database file cannot be written");
  } catch (const std::runtime_error&) {
    EXPECT_FALSE(KioskLocked()) << "unlocked before the error is reported";
  }

  // A guarded block inside a locked run leaves the run locked.
  {
    TKioskLock run;
    { TKioskLock retake; }
    EXPECT_TRUE(KioskLocked());
  }
  EXPECT_FALSE(KioskLocked());

  // An unlock without a lock changes nothing, and the next lock still holds.
  LeaveKioskMode();
  EnterKioskMode();
  EXPECT_TRUE(KioskLocked());
  LeaveKioskMode();
  EXPECT_FALSE(KioskLocked());
}
