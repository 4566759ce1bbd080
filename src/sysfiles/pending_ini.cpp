// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "sysfiles/ini_file.h"
#include "sysfiles/path_check.h"

void ReadNegativeList(Context&, const std::string&) {}
bool CheckInstallationPaths(Context&) { return true; }
