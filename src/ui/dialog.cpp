#include "ui/dialog.h"

void MainDialog::Form_Load() { SetAllBoxes(0); }

void MainDialog::SelAll_Click() { SetAllBoxes(1); }

void MainDialog::DeselAll_Click() { SetAllBoxes(0); }

bool MainDialog::Checkval() const {
  return Ticked(CONFIG_DAT) || Ticked(Userfiles) || Ticked(SPS_SUB) || Ticked(IR_STOPM_SRC);
}

void MainDialog::SetAllBoxes(int value) {
  CONFIG_DAT = value;
  Userfiles = value;
  SPS_SUB = value;
  IR_STOPM_SRC = value;
}

std::string MainDialog::Browse(const std::string& DLGTitle) {
  return BrowseForFolder ? BrowseForFolder(DLGTitle) : std::string();
}

void MainDialog::BrowseSRC_Click() {
  std::string picked = Browse("Select Source Path");
  if (!picked.empty()) SourcePath = picked;
}

void MainDialog::BrowseDest_Click() {
  std::string picked = Browse("Select Destination Path");
  if (!picked.empty()) DestPath = picked;
}
