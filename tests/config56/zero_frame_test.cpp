// Telling zero frames, with the numbers written in every form a
// configuration holds them.

#include "config56/zero_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(LeadingFloat, ReadsTheLeadingDecimalNumber) {
  EXPECT_EQ(LeadingFloat("1200.0"), 1200.0f);
  EXPECT_EQ(LeadingFloat("12.5abc"), 12.5f);
  EXPECT_EQ(LeadingFloat("  -3"), -3.0f);
  EXPECT_EQ(LeadingFloat("\t \t7.5"), 7.5f);
  EXPECT_EQ(LeadingFloat("+4."), 4.0f);
  EXPECT_EQ(LeadingFloat(".5"), 0.5f);
  EXPECT_EQ(LeadingFloat("1.5E2"), 150.0f);
  EXPECT_EQ(LeadingFloat("2e-1,"), 0.2f);
}

TEST(LeadingFloat, NoNumberGivesZero) {
  EXPECT_EQ(LeadingFloat(""), 0.0f);
  EXPECT_EQ(LeadingFloat("abc"), 0.0f);
  EXPECT_EQ(LeadingFloat("-"), 0.0f);
  EXPECT_EQ(LeadingFloat("."), 0.0f);
  EXPECT_EQ(LeadingFloat("e5"), 0.0f);
}

TEST(LeadingFloat, IncompleteExponentOrHexIsNotRead) {
  EXPECT_EQ(LeadingFloat("1e"), 1.0f);
  EXPECT_EQ(LeadingFloat("1e+"), 1.0f);
  EXPECT_EQ(LeadingFloat("0x10"), 0.0f);
  EXPECT_EQ(LeadingFloat("inf"), 0.0f);
}

TEST(LeadingFloat, ValuesBeyondAFloatBecomeInfinityOrZero) {
  EXPECT_TRUE(std::isinf(LeadingFloat("1e99999999999999999999")));
  EXPECT_EQ(LeadingFloat("1e-50"), 0.0f);
  EXPECT_EQ(LeadingFloat(std::string(5000, '9')), INFINITY);
}

TEST(IsZeroFrame, ZeroWrittenAnyWayIsZero) {
  EXPECT_TRUE(IsZeroFrame("{X 0,Y 0,Z 0,A 0,B 0,C 0}"));
  EXPECT_TRUE(IsZeroFrame("{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}"));
  EXPECT_TRUE(IsZeroFrame("{X -0.0,Y -0.0,Z -0.0,A -0.0,B -0.0,C -0.0}"));
  EXPECT_TRUE(IsZeroFrame("{x 0e5,y 0,z 0,a 0,b 0,c 0}"));
}

TEST(IsZeroFrame, AnyNonZeroComponentIsNotZero) {
  EXPECT_FALSE(IsZeroFrame("{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 90.0}"));
  EXPECT_FALSE(IsZeroFrame("{X 1200.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}"));
  EXPECT_FALSE(IsZeroFrame("{x 0,y 0,z 0,a 0,b 0.001,c 0}"));
}

TEST(IsZeroFrame, MissingComponentsCountAsZero) {
  EXPECT_TRUE(IsZeroFrame("}"));
  EXPECT_TRUE(IsZeroFrame(""));
  EXPECT_TRUE(IsZeroFrame("{X 0,Y 0}"));
  EXPECT_FALSE(IsZeroFrame("{X 0,Z 5,C 0}"));
  // A component is read up to the next comma, the last one up to the brace.
  EXPECT_TRUE(IsZeroFrame("{Z 5}"));
  EXPECT_FALSE(IsZeroFrame("{C 5}"));
}

TEST(IsZeroFrame, OddSpellingNeverFails) {
  EXPECT_TRUE(IsZeroFrame("{X  0.0 , Y 0 ,Z0,A 0,B 0,C 0 }"));
  EXPECT_FALSE(IsZeroFrame("{X\t1200.0,Y 0,Z 0,A 0,B 0,C 0}"));
  EXPECT_TRUE(IsZeroFrame("{X abc,Y ?,Z 0,A 0,B 0,C 0}"));
  EXPECT_TRUE(IsZeroFrame("{X 0,Y 0,Z 0,A 0,B 0,C 0,E1 5,E2 6}"));
  EXPECT_FALSE(IsZeroFrame("{X " + std::string(10000, '1') + ",Y 0}"));
}

}  // namespace
