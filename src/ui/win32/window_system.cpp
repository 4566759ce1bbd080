#include "ui/win32/windows_ui.h"

#include <commctrl.h>
#include <objbase.h>

WindowSystemScope::WindowSystemScope() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

WindowSystemScope::~WindowSystemScope() {
  if (comInitialised_) CoUninitialize();
}
