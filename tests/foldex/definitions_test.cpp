#include "definitions.h"

#include <gtest/gtest.h>

namespace foldex {
namespace {

std::string KeyOf(std::string_view line) {
  Definition definition;
  return ParseDefinition(line, definition) ? definition.key : "-";
}

TEST(FoldexDefinitions, NameWithIndexIsTheKey) {
  EXPECT_EQ(KeyOf("DECL FDAT FDEFAULT={TOOL_NO 1}"), "FDEFAULT");
  EXPECT_EQ(KeyOf("INT MAX_BASE=32"), "MAX_BASE");
  EXPECT_EQ(KeyOf("BASE_NAME[17,]=\"AXIS1\""), "BASE_NAME[17,]");
  EXPECT_EQ(KeyOf("  base_data[ 3 ] = {X 0.0}"), "BASE_DATA[3]");
  EXPECT_EQ(KeyOf("DECL GLOBAL E6POS $xp1={X 1}"), "$XP1");
}

TEST(FoldexDefinitions, OtherLinesAreNoDefinitions) {
  EXPECT_EQ(KeyOf(";BASE_DATA[1]={X 0}"), "-");
  EXPECT_EQ(KeyOf("DECL FRAME BASE_DATA[32]"), "-");
  EXPECT_EQ(KeyOf("IF $IN[1]==TRUE THEN"), "-");
  EXPECT_EQ(KeyOf("A.B=1"), "-");
  EXPECT_EQ(KeyOf("1X=1"), "-");
  EXPECT_EQ(KeyOf("=5"), "-");
  EXPECT_EQ(KeyOf(";FOLD X=5"), "-");
}

TEST(FoldexDefinitions, ValueReplacementKeepsTheTargetsWords) {
  std::string line = "DECL FDAT  FDEFAULT ={TOOL_NO 1}";
  Definition definition;
  ASSERT_TRUE(ParseDefinition(line, definition));
  EXPECT_EQ(WithValue(line, definition, "{TOOL_NO 2}"), "DECL FDAT  FDEFAULT ={TOOL_NO 2}");
}

TEST(FoldexDefinitions, IndexListsEveryDefinitionByKey) {
  std::string bytes = "DEFDAT $CONFIG\r\nX[1]=1\r\n;X[1]=0\r\nDECL INT X[1]=2\r\nENDDAT\r\n";
  DefinitionIndex index = IndexDefinitions(bytes, SplitLines(bytes));
  ASSERT_EQ(index.entries.size(), 2u);
  EXPECT_EQ(index.byKey.at("X[1]"), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(index.entries[1].line, 3u);
}

}  // namespace
}  // namespace foldex
