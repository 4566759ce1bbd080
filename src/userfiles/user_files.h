#pragma once
// The user-file stage: register, list, check and upgrade or copy.

#include <string>

class CFileReg;
struct Context;

void ConvertUserFiles(Context& context);
void ConvertRegisteredFiles(Context& context, CFileReg& registry, const std::string& kind);
void UpgradeUserFile(Context& context, const std::string& file, const std::string& kind);
