#pragma once
// The save, transfer and exchange steps of each system file and template,
// the check of a system file's pair, and the clean-up of saved folds.

#include <string>

struct Context;

bool CheckFilePair(Context& context);
void UpgradeConfigDat(Context& context);
void UpgradeSpsSub(Context& context);
void UpgradeIrStopm(Context& context);
// templateRel relative to Template, userRel relative to Dest.
void UpgradeFromVorgabeSrc(Context& context, const std::string& templateRel,
                           const std::string& userRel);
void UpgradeFromVorgabeDat(Context& context, const std::string& templateRel,
                           const std::string& userRel);
// folder with trailing backslash, ext without the dot.
void KillFilesByExtension(Context& context, const std::string& folder, const std::string& ext);
