#include <gtest/gtest.h>

#include "foldex.h"

namespace foldex {
namespace {

Command Parsed(const std::string& text) {
  Command command;
  EXPECT_TRUE(ParseCommandLine(text, command)) << text;
  return command;
}

TEST(FoldexCommandLine, SaveWithEitherBar) {
  for (const char* text : {"C:\\OLD\\R1\\System\\SPS.SUB| \\prog\\Vantrel\\sps_sub_of.upg /TXT",
                           "C:\\OLD\\R1\\System\\SPS.SUB|\\prog\\Vantrel\\sps_sub_of.upg /TXT"}) {
    Command command = Parsed(text);
    EXPECT_EQ(command.form, Form::kFolds);
    EXPECT_EQ(command.file, "C:\\OLD\\R1\\System\\SPS.SUB");
    EXPECT_EQ(command.control, "\\prog\\Vantrel\\sps_sub_of.upg");
  }
}

TEST(FoldexCommandLine, BlanksInPathsStay) {
  Command command = Parsed("C:\\My Files\\A B.SRC | \\prog dir\\Vantrel\\x.upg/txt");
  EXPECT_EQ(command.file, "C:\\My Files\\A B.SRC");
  EXPECT_EQ(command.control, "\\prog dir\\Vantrel\\x.upg");
}

TEST(FoldexCommandLine, DatFormsWithAndWithoutSource) {
  Command transfer = Parsed(
      "C:\\NEW\\R1\\System\\$CONFIG.DAT | \\prog\\Vantrel\\Config_Cfile.upg "
      "|C:\\OLD\\R1\\System\\$CONFIG.DAT/DAT");
  EXPECT_EQ(transfer.form, Form::kTransfer);
  EXPECT_EQ(transfer.file, "C:\\NEW\\R1\\System\\$CONFIG.DAT");
  EXPECT_EQ(transfer.control, "\\prog\\Vantrel\\Config_Cfile.upg");
  EXPECT_EQ(transfer.source, "C:\\OLD\\R1\\System\\$CONFIG.DAT");
  Command set = Parsed("C:\\NEW\\R1\\System\\$CONFIG.DAT | \\prog\\VANTREL\\Config_5x-6x.upg/DAT");
  EXPECT_EQ(set.form, Form::kSetDeclarations);
  EXPECT_EQ(set.control, "\\prog\\VANTREL\\Config_5x-6x.upg");
  EXPECT_TRUE(set.source.empty());
}

TEST(FoldexCommandLine, MalformedTextsAreRefused) {
  Command command;
  for (const char* text : {"", "/TXT", "a | b", "a /TXT", "a | b | c /TXT", "a |  /TXT",
                           "a | b | c | d/DAT", "| b/DAT", "a | b /XYZ"})
    EXPECT_FALSE(ParseCommandLine(text, command)) << text;
}

}  // namespace
}  // namespace foldex
