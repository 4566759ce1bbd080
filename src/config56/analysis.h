#pragma once
// Reading the six external axes of a 5.x configuration and their machine
// names into the ExAxData table.

#include <string>

#include "config56/ex_ax_data.h"

struct Context;

inline constexpr int kExternalAxes = 6;
// The zero marker: every configuration field of an axis that is not migrated.
inline constexpr const char* kZeroMarker = "0";

// Stores Root, Offset, Kin, Name and Type of axes 1 to 6.
void AnalyseConfigDat(Context& context, const std::string& sourceConfig, ExAxData& data);
// Stores ET_Name of axes 1 to 6.
void AnalyseMachineDat(Context& context, const std::string& machineData, ExAxData& data);
