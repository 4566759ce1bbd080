#include <gtest/gtest.h>
#include <signal.h>

#include "platform/platform.h"

namespace {

using platform::StopCause;

struct SignalCase {
  int signal;
  StopCause cause;
  const char *text;
};

class StopSignals : public ::testing::TestWithParam<SignalCase> {
protected:
  void SetUp() override {
    platform::ClearStopRequest();
    platform::CatchStopRequests();
  }
  void TearDown() override {
    platform::ReleaseStopRequests();
    platform::ClearStopRequest();
  }
};

TEST_P(StopSignals, ASignalOnlyNotesTheRequest) {
  EXPECT_EQ(platform::StopRequested(), StopCause::kNone);
  ASSERT_EQ(raise(GetParam().signal), 0);
  EXPECT_EQ(platform::StopRequested(), GetParam().cause);
  EXPECT_EQ(platform::StopCauseText(platform::StopRequested()),
            GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, StopSignals,
    ::testing::Values(SignalCase{SIGINT, StopCause::kInterrupt, "SIGINT"},
                      SignalCase{SIGTERM, StopCause::kTerminate, "SIGTERM"},
                      SignalCase{SIGHUP, StopCause::kHangUp, "SIGHUP"}));

TEST(StopRequest, TheFirstCauseIsKept) {
  platform::ClearStopRequest();
  platform::RequestStop(StopCause::kUser);
  platform::RequestStop(StopCause::kSession);
  EXPECT_EQ(platform::StopRequested(), StopCause::kUser);
  platform::ClearStopRequest();
  EXPECT_EQ(platform::StopRequested(), StopCause::kNone);
}

} // namespace
