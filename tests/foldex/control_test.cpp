#include "control.h"

#include <gtest/gtest.h>

namespace foldex {
namespace {

TEST(FoldexControl, SaveControlWithCommentsAndRemarks) {
  FoldControl control;
  Problems problems;
  EXPECT_TRUE(ParseFoldControl("c.upg",
                               "; the template's folds\r\n\r\naction = save\r\n"
                               "STORE=T.ADD ; kept till the run ends\r\nFOLD=*\r\n"
                               "except=user*\r\nLEAF_ONLY=yes\r\n",
                               control, problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(control.action, Action::kSave);
  EXPECT_EQ(control.store, "T.ADD");
  EXPECT_EQ(control.include, std::vector<std::string>{"*"});
  EXPECT_EQ(control.except, std::vector<std::string>{"USER*"});
  EXPECT_TRUE(control.leafOnly);
}

TEST(FoldexControl, FaultyFoldControlsNameEachProblem) {
  FoldControl control;
  Problems problems;
  EXPECT_FALSE(ParseFoldControl("c.upg",
                                "ACTION=MOVE\nSTORE=..\\x.add\nFOLD\nCOLOR=red\nLEAF_ONLY=1\n",
                                control, problems));
  EXPECT_EQ(problems, (Problems{"c.upg, line 1: ACTION must be SAVE or EXCHANGE",
                                "c.upg, line 2: STORE must be a file name ending in .add",
                                "c.upg, line 3: not a KEY=value line: FOLD",
                                "c.upg, line 4: unknown key COLOR",
                                "c.upg, line 5: LEAF_ONLY must be YES or NO",
                                "c.upg: no ACTION line", "c.upg: no STORE line"}));
}

TEST(FoldexControl, ExchangeTakesNoSelection) {
  FoldControl control;
  Problems problems;
  EXPECT_FALSE(ParseFoldControl("c.upg", "ACTION=EXCHANGE\nSTORE=a.add\nFOLD=USER*\n", control,
                                problems));
  EXPECT_EQ(problems, Problems{"c.upg: FOLD, EXCEPT and LEAF_ONLY belong to ACTION=SAVE"});
  problems.clear();
  FoldControl save;
  EXPECT_FALSE(ParseFoldControl("s.upg", "ACTION=SAVE\nSTORE=a.add\nSTORE=b.add\n", save,
                                problems));
  EXPECT_EQ(problems, (Problems{"s.upg, line 3: STORE given twice", "s.upg: no FOLD line"}));
}

TEST(FoldexControl, VariableNamesAreKeys) {
  VariableControl control;
  Problems problems;
  EXPECT_TRUE(ParseVariableControl("v.upg", "; data\r\nVAR=base_data[*]\r\nvar=TOOL_NAME[ 1, ]\r\n",
                                   control, problems));
  EXPECT_EQ(control.names, (std::vector<std::string>{"BASE_DATA[*]", "TOOL_NAME[1,]"}));
  VariableControl empty;
  EXPECT_FALSE(ParseVariableControl("v.upg", "; nothing\r\nFOLD=X\r\n", empty, problems));
  EXPECT_EQ(problems, (Problems{"v.upg, line 2: unknown key FOLD", "v.upg: no VAR line"}));
}

}  // namespace
}  // namespace foldex
