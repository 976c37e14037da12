// Runs under Wine through the same emulator and test discovery as every
// other Windows test, and fails on purpose; CTest expects the failure.
// Were the emulator to lose the exit status, or discovery to register a name
// that the test filter no longer matches (the filtered run then executes
// nothing and exits 0), every Windows test would pass unseen; this probe
// would pass too, and CTest would report that.
#include <gtest/gtest.h>

TEST(WineRunner, DeliberateFailureReachesCTest) {
  ADD_FAILURE() << "deliberate failure: CTest must see this probe fail";
}
