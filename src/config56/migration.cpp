#include "config56/migration.h"

#include "config56/analysis.h"
#include "config56/ex_ax_data.h"
#include "config56/upg_file.h"

// The table and the lines belong to one migration: each run starts empty.
void MigrateConfig(Context& context, const std::string& sourceConfig,
                   const std::string& /*destConfig*/, const std::string& machineData) {
  ExAxData exAxData;
  UpgLines upgLines;
  AnalyseConfigDat(context, sourceConfig, exAxData);
  AnalyseMachineDat(context, machineData, exAxData);
  GenerateUpgFile(context, sourceConfig, exAxData, upgLines);
}
