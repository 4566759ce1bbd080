// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "sysfiles/exchange_steps.h"
#include "sysfiles/ini_file.h"
#include "sysfiles/path_check.h"
#include "sysfiles/system_files.h"

void ReadNegativeList(Context&, const std::string&) {}
bool CheckInstallationPaths(Context&) { return true; }
void ConvertSystemFiles(Context&) {}
void KillFilesByExtension(Context&, const std::string&, const std::string&) {}
void UpgradeFromVorgabeSrc(Context&, const std::string&, const std::string&) {}
void UpgradeFromVorgabeDat(Context&, const std::string&, const std::string&) {}
