#pragma once
// The migration control file Config_5x-6x.upg: the 6.x declarations that
// replace the 5.x external-axis arrays, applied to the destination
// $CONFIG.DAT by the exchange program.

#include <string>
#include <vector>

#include "config56/ex_ax_data.h"

struct Context;

using UpgLines = std::vector<std::string>;

// Program folder + "\VANTREL\Config_5x-6x.upg".
std::string UpgFilePath(const Context& context);
// ";automaticaly created file: " with the program's title, version, date
// and time.
std::string UpgFileHeader();
// Appends the declaration lines for the source configuration and the axes
// of data that take part.
void AppendUpgLines(const std::string& sourceConfig, const ExAxData& data, UpgLines& lines);
// Appends the lines, writes the control file and runs the exchange program
// with it against the destination file FoundDestFile.
void GenerateUpgFile(Context& context, const std::string& sourceConfig, const ExAxData& data,
                     UpgLines& lines);
