#include <gtest/gtest.h>

#include "util/exchange_command.h"

namespace foldex {

// Shown when a comparison fails: the command as the exchange program gets it.
void PrintTo(const Command& command, std::ostream* out) {
  *out << '"' << FormatCommandLine(command) << '"';
}

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

// Each form of command line the upgrade's steps make, with its bars.
struct RoundTrip {
  const char* text;
  Command command;
};

class FoldexCommandLineRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(FoldexCommandLineRoundTrip, FormatIsTheInverseOfParse) {
  const RoundTrip& trip = GetParam();
  EXPECT_EQ(FormatCommandLine(trip.command), trip.text);
  EXPECT_EQ(Parsed(trip.text), trip.command);
}

INSTANTIATE_TEST_SUITE_P(
    StepForms, FoldexCommandLineRoundTrip,
    testing::Values(
        RoundTrip{"C:\\OLD\\System\\$CONFIG.DAT|C:\\P\\Vantrel\\Config_of.upg /TXT",
                  {.file = "C:\\OLD\\System\\$CONFIG.DAT",
                   .control = "C:\\P\\Vantrel\\Config_of.upg",
                   .fileBar = "|"}},
        RoundTrip{"C:\\T\\Template\\Vorgabe.src| C:\\P\\Vantrel\\Vorgabe_Src_of.upg /TXT",
                  {.file = "C:\\T\\Template\\Vorgabe.src",
                   .control = "C:\\P\\Vantrel\\Vorgabe_Src_of.upg",
                   .fileBar = "| "}},
        RoundTrip{"C:\\NEW\\Program\\a b.src | C:\\P\\Vantrel\\Vorgabe_Src_nf.upg /TXT",
                  {.file = "C:\\NEW\\Program\\a b.src",
                   .control = "C:\\P\\Vantrel\\Vorgabe_Src_nf.upg"}},
        RoundTrip{"C:\\NEW\\System\\$CONFIG.DAT | C:\\P\\Vantrel\\Config_Cfile.upg "
                  "|C:\\OLD\\System\\$CONFIG.DAT/DAT",
                  {.form = Form::kTransfer,
                   .file = "C:\\NEW\\System\\$CONFIG.DAT",
                   .control = "C:\\P\\Vantrel\\Config_Cfile.upg",
                   .source = "C:\\OLD\\System\\$CONFIG.DAT",
                   .controlBar = " |",
                   .modeGap = ""}},
        RoundTrip{"C:\\NEW\\System\\$CONFIG.DAT | C:\\P\\VANTREL\\Config_5x-6x.upg/DAT",
                  {.form = Form::kSetDeclarations,
                   .file = "C:\\NEW\\System\\$CONFIG.DAT",
                   .control = "C:\\P\\VANTREL\\Config_5x-6x.upg",
                   .modeGap = ""}}));

TEST(FoldexCommandLine, TabsAroundTheBarsAndTheWholeTextAreRead) {
  Command command = Parsed(" \tC:\\A.src\t|\t C:\\B.upg\t/txt \t");
  EXPECT_EQ(command.file, "C:\\A.src");
  EXPECT_EQ(command.control, "C:\\B.upg");
  EXPECT_EQ(FormatCommandLine(command), "C:\\A.src\t|\t C:\\B.upg\t/TXT");
}

TEST(FoldexCommandLine, MalformedTextsAreRefused) {
  Command command;
  for (const char* text : {"", "/TXT", "a | b", "a /TXT", "a | b | c /TXT", "a |  /TXT",
                           "a | b | c | d/DAT", "| b/DAT", "a | b /XYZ"})
    EXPECT_FALSE(ParseCommandLine(text, command)) << text;
}

}  // namespace
}  // namespace foldex
