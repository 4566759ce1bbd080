#pragma once
// The progress window's state: caption, stage text and bar. Views (a real
// window, a terminal line) show it when the run asks for a repaint.

#include <functional>
#include <string>

class ProgressWindow {
 public:
  std::string Caption = "Upgrade User-Programms";
  std::string Information;  // the stage text
  double Min = 1;
  double Max = 100;
  double Value = 1;
  bool Visible = false;
  // The files of the stage handled so far and in all, for a view that
  // shows a count; Total 0 means no count.
  int Done = 0;
  int Total = 0;
  // False after Unload until the next Load: a window view then destroys its
  // window rather than hiding it, and builds it anew on the next run.
  bool Loaded = false;

  // Called on every Refresh; set by whoever shows the window.
  std::function<void(const ProgressWindow&)> OnRepaint;

  void Load();  // the load step: bar 1..100 at 1
  void Show();
  void Refresh();
  void Unload();
  // The call without arguments at the end of the user-file stage in
  // interactive mode: it hides the window.
  void Hide();
};
