#pragma once
// The main dialog's state: the two path boxes and the four selection boxes.
// In batch mode it is loaded but never shown, and holds the selection.

#include <string>

struct Context;

class MainDialog {
 public:
  // Selection boxes: a box counts as ticked when its value is 1.
  int CONFIG_DAT = 0;
  int Userfiles = 0;
  int SPS_SUB = 0;
  int IR_STOPM_SRC = 0;

  std::string SourcePath = "C:\\QVD_OLDINST\\QVD\\R1";
  std::string DestPath = "C:\\QVD\\ROBOTER\\QVD\\R1";

  void Form_Load();
  void SelAll_Click();
  void DeselAll_Click();
  bool Checkval() const;

  static bool Ticked(int box) { return box == 1; }

  // The Run button: validates the entries, then makes one run. The dialog
  // stays open afterwards.
  void Run_Click(Context& context);
  // The Exit button: ends the program at once with exit code 0.
  [[noreturn]] void Leave_Click();

 private:
  void SetAllBoxes(int value);
};
