#include "ui/event_handler.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/context.h"

namespace {

TEST(EventHandler, AHandlerThatReturnsEndsNothing) {
  int calls = 0;
  EXPECT_EQ(RunHandler([&] { ++calls; }), std::nullopt);
  EXPECT_EQ(calls, 1);
}

TEST(EventHandler, TheEndOfTheProcessBecomesItsExitCode) {
  MainDialog dialog;
  EXPECT_EQ(RunHandler([&] { dialog.Leave_Click(); }), 0);
  EXPECT_EQ(RunHandler([&] { dialog.Form_Close(); }), 0);
  EXPECT_EQ(RunHandler([] { throw ProcessEnd{1}; }), 1);
}

TEST(EventHandler, AnUncaughtFailureEndsWithExitCode1) {
  EXPECT_EQ(RunHandler([] { throw std::runtime_error("lost"); }), 1);
  EXPECT_EQ(RunHandler([] { throw 42; }), 1);
}

}  // namespace
