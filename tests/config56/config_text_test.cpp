// Reading lines, bracketed parts and values out of configuration texts.

#include "config56/config_text.h"

#include <gtest/gtest.h>

namespace {

const std::string kText =
    "DEFDAT $CONFIG\r\n"
    " EX_AX_NAME[1,]=\"E1\" ; track\r\n"
    "ex_ax_name[2,]=\"e2\"\r\n"
    "INT MAX=5\r\n"
    "ENDDAT";

TEST(GetLineFrom, ReturnsTheLineFromTheKeyToItsEndTrimmed) {
  EXPECT_EQ(GetLineFrom(kText, "EX_AX_NAME[1,]="), "EX_AX_NAME[1,]=\"E1\" ; track");
  EXPECT_EQ(GetLineFrom(kText, "MAX="), "MAX=5");
  EXPECT_EQ(GetLineFrom("A=1 \r\nB=2", "A="), "A=1");
}

TEST(GetLineFrom, ComparesTheKeyExactly) {
  EXPECT_EQ(GetLineFrom(kText, "EX_AX_NAME[2,]="), "");
  EXPECT_EQ(GetLineFrom(kText, "ex_ax_name[1,]="), "");
  EXPECT_EQ(GetLineFrom(kText, "ex_ax_name[2,]="), "ex_ax_name[2,]=\"e2\"");
}

TEST(GetLineFrom, MissingKeyGivesEmpty) {
  EXPECT_EQ(GetLineFrom(kText, "EX_AX_TYPE[1]="), "");
  EXPECT_EQ(GetLineFrom("", "A="), "");
}

TEST(GetLineFrom, KeyOnTheLastLineWithoutLineBreakGivesTheRestTrimmed) {
  EXPECT_EQ(GetLineFrom(kText, "ENDDAT"), "ENDDAT");
  EXPECT_EQ(GetLineFrom("X=1\r\nY=2  ", "Y="), "Y=2");
  EXPECT_EQ(GetLineFrom("X=1\r\nY=2\r", "Y="), "Y=2");
}

TEST(GetLineFrom, LineFeedAloneEndsTheLine) {
  EXPECT_EQ(GetLineFrom("X=1\nY=2\nZ=3", "Y="), "Y=2");
}

TEST(GetLineFrom, CarriageReturnAloneEndsTheLine) {
  EXPECT_EQ(GetLineFrom("X=1\rY=2\rZ=3", "Y="), "Y=2");
  EXPECT_EQ(GetLineFrom("N=\"E1\"\rBASE_DATA[1]={X 9}\r\n", "N="), "N=\"E1\"");
}

TEST(GetBetween, FindsTheKeyInAnyCaseAndReturnsTheTextInItsOwnCase) {
  EXPECT_EQ(GetBetween("{root {x 1,y 2},Offset {a}}", "ROOT", "}"), "{x 1,y 2");
  EXPECT_EQ(GetBetween("ex_kin #Easys, next", "EX_KIN", ","), "#Easys");
}

TEST(GetBetween, MissingKeyOrEndMarkGivesEmpty) {
  EXPECT_EQ(GetBetween("TOOL_NO 1,BASE_NO 2", "IPO_FRAME", "}"), "");
  EXPECT_EQ(GetBetween("TOOL_NO 1", "TOOL_NO", ","), "");
  EXPECT_EQ(GetBetween("", "X", ","), "");
}

TEST(GetBetween, SearchesTheEndMarkOnlyFromTheKeyOn) {
  EXPECT_EQ(GetBetween("A 1,B 2,C 3}", "B", ","), "2");
  EXPECT_EQ(GetBetween("A 1,B 2", "B", ","), "");
}

TEST(GetBetween, EndMarkInsideTheKeyGivesEmpty) { EXPECT_EQ(GetBetween("X,Y", "X,", ","), ""); }

TEST(GetValue, ReturnsWhatFollowsTheFirstEqualsSign) {
  EXPECT_EQ(GetValue("EX_AX_TYPE[1]= 3"), "3");
  EXPECT_EQ(GetValue("A=B=C"), "B=C");
}

TEST(GetValue, KeepsQuotesAndCutsAtTheFirstSemicolon) {
  EXPECT_EQ(GetValue("EX_AX_NAME[1,]=\"E1\" ; track"), "\"E1\"");
  EXPECT_EQ(GetValue("EX_AX_NAME[1,]=\"E;1\""), "\"E");
}

TEST(GetValue, LineWithoutEqualsSignIsOneBlank) {
  EXPECT_EQ(GetValue(""), " ");
  EXPECT_EQ(GetValue("NO VALUE"), " ");
  EXPECT_EQ(CompactBlanks(GetValue("")), "");
}

TEST(GetValue, SemicolonBeforeTheEqualsSignLeavesNoValue) { EXPECT_EQ(GetValue("A ;B=1"), ""); }

}  // namespace
