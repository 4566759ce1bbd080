#include "config56/analysis.h"

#include "core/context.h"
#include "config56/config_text.h"
#include "config56/zero_frame.h"

namespace {

struct AxisFields {
  std::string root;
  std::string offset;
  std::string kin;
  std::string name;
  std::string type;
};

std::string Frame(const std::string& line, const char* key) {
  return CompactBlanks(GetBetween(line, key, "}") + "}");
}

std::string DeclaredValue(const std::string& text, const std::string& key) {
  return CompactBlanks(GetValue(GetLineFrom(text, key)));
}

AxisFields ReadAxis(const std::string& text, const std::string& n) {
  const std::string line = GetLineFrom(text, "EX_AX_DATA[" + n + "]=");
  return {Frame(line, "ROOT"), Frame(line, "OFFSET"),
          CompactBlanks(GetBetween(line, "EX_KIN", ",")),
          DeclaredValue(text, "EX_AX_NAME[" + n + ",]="),
          DeclaredValue(text, "EX_AX_TYPE[" + n + "]=")};
}

void StoreAxis(ExAxData& data, int n, const AxisFields& fields) {
  data.Set(AxisKey("Root", n), fields.root);
  data.Set(AxisKey("Offset", n), fields.offset);
  data.Set(AxisKey("Kin", n), fields.kin);
  data.Set(AxisKey("Name", n), fields.name);
  data.Set(AxisKey("Type", n), fields.type);
}

}  // namespace

void AnalyseConfigDat(Context& context, const std::string& sourceConfig, ExAxData& data) {
  context.Log(". Analyse the Soucefile -$Config.dat-");
  for (int n = 1; n <= kExternalAxes; ++n) {
    const std::string number = std::to_string(n);
    AxisFields fields = ReadAxis(sourceConfig, number);
    if (IsZeroFrame(fields.root)) {
      context.Log(". The Root in -EX_AX_DATA[" + number + "]- is 0 --> No Upgrade");
      fields = {kZeroMarker, kZeroMarker, kZeroMarker, kZeroMarker, kZeroMarker};
    } else {
      context.Record.migrationAxes.push_back(n);
    }
    StoreAxis(data, n, fields);
  }
}

void AnalyseMachineDat(Context& context, const std::string& machineData, ExAxData& data) {
  context.Log(". Analyse the Soucefile -$Machine.dat-");
  for (int n = 1; n <= kExternalAxes; ++n) {
    data.Set(AxisKey("ET_Name", n),
             DeclaredValue(machineData, "$ET" + std::to_string(n) + "_NAME[]="));
  }
}
