// The keyed table of the external-axis data.

#include "config56/ex_ax_data.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(ExAxData, KeepsTheOrderOfStoringAndReplacesAKeyStoredAgain) {
  ExAxData data;
  data.Set(AxisKey("Root", 1), "{X 1}");
  data.Set(AxisKey("ET_Name", 6), "\"E6\"");
  data.Set("ROOT1", "0");
  EXPECT_EQ(data.entries(), (Entries{{"Root1", "0"}, {"ET_Name6", "\"E6\""}}));
}

TEST(ExAxData, KeysCompareWithoutCaseAndMissingKeysGiveEmpty) {
  ExAxData data;
  data.Set("Kin2", "#EASYS");
  EXPECT_EQ(data.Get("KIN2"), "#EASYS");
  EXPECT_EQ(data.Get("kin2"), "#EASYS");
  EXPECT_EQ(data.Get("Kin3"), "");
  EXPECT_EQ(data.size(), 1u);
}

}  // namespace
