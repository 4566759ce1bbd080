#pragma once
// The main dialog's state: the two path boxes and the four selection boxes.
// In batch mode it is loaded but never shown, and holds the selection.

#include <functional>
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

  // False while a run works: the run shares the one thread with the dialog,
  // so the dialog must take no input (above all no second Run) until the
  // run has returned. A view greys its window out when told.
  bool Enabled = true;
  std::function<void(const MainDialog&)> OnEnabledChange;

  // The Run button: validates the entries, then makes one run. The dialog
  // stays open afterwards. True when a run was made; a disabled dialog
  // makes none.
  bool Run_Click(Context& context);
  // What Run starts once the entries are valid: the upgrade, set by the
  // start-up (the dialog knows nothing of the run itself).
  std::function<void()> OnRun;
  // The Exit button: ends the program at once with exit code 0.
  [[noreturn]] void Leave_Click();
  // The close box does what Exit does.
  [[noreturn]] void Form_Close() { Leave_Click(); }

  // The platform's folder browser, set by the view: shows title and returns
  // the folder picked, or an empty text when the user cancelled or picked
  // something that is no file-system folder.
  std::function<std::string(const std::string& title)> BrowseForFolder;
  // The folder the user picked, or an empty text; without a browser, empty.
  std::string Browse(const std::string& DLGTitle);
  // A picked folder replaces the path; a cancelled browser leaves it.
  void BrowseSRC_Click();
  void BrowseDest_Click();

 private:
  void SetAllBoxes(int value);
  void SetEnabled(bool enabled);
};
