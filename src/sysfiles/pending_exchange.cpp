// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "sysfiles/exchange.h"
#include "sysfiles/exchange_steps.h"
#include "sysfiles/system_files.h"

int32_t RunAndWait(Context&, const std::string&) { return -1; }
void ConvertSystemFiles(Context&) {}
void KillFilesByExtension(Context&, const std::string&, const std::string&) {}
void UpgradeFromVorgabeSrc(Context&, const std::string&, const std::string&) {}
void UpgradeFromVorgabeDat(Context&, const std::string&, const std::string&) {}
