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
