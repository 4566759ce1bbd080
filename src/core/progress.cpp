#include "core/progress.h"

void ProgressWindow::Load() {
  Caption = "Upgrade User-Programms";
  Information.clear();
  Min = 1;
  Max = 100;
  Value = 1;
  Done = 0;
  Total = 0;
  Visible = false;
  Loaded = true;
}

void ProgressWindow::Show() {
  Visible = true;
  Refresh();
}

void ProgressWindow::Refresh() {
  if (OnRepaint) OnRepaint(*this);
}

void ProgressWindow::Unload() {
  Visible = false;
  Loaded = false;
  Refresh();
}

void ProgressWindow::Hide() {
  Visible = false;
  Refresh();
}
