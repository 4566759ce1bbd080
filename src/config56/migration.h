#pragma once
// The 5.x to 6.x migration of the external-axis data.

#include <string>

struct Context;

void MigrateConfig(Context& context, const std::string& sourceConfig,
                   const std::string& destConfig, const std::string& machineData);
