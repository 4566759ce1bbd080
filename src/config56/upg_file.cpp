#include "config56/upg_file.h"

#include "core/context.h"
#include "config56/analysis.h"
#include "config56/config_text.h"
#include "platform/platform.h"
#include "sysfiles/exchange.h"
#include "util/strings.h"
#include "version.h"

namespace {

const std::string kQuotedBlank = "\" \"";

// 6.x array positions of axis n.
std::string BaseIndex(int n) { return std::to_string(n + 16); }
std::string MachineDefIndex(int n) { return std::to_string(n + 1); }

bool TakesPart(const ExAxData& data, int n) { return data.Get(AxisKey("Root", n)) != kZeroMarker; }

// A 5.x FDAT declaration lacks POINT2[]; the 6.x one is built from its tool,
// base and interpolation frame. One that has it already is left as it is.
void AppendFdat(const std::string& sourceConfig, const std::string& key, UpgLines& lines) {
  const std::string line = GetLineFrom(sourceConfig, key);
  if (util::Contains(util::Upper(line), "POINT2[]")) return;
  lines.push_back(key + "{TOOL_NO " + GetBetween(line, "TOOL_NO", ",") + ",BASE_NO " +
                  GetBetween(line, "BASE_NO", ",") + ",IPO_FRAME " +
                  GetBetween(line, "IPO_FRAME", "}") + ",POINT2[] " + kQuotedBlank + "}");
}

template <typename MakeLine>
void AppendForAxes(const ExAxData& data, UpgLines& lines, MakeLine&& makeLine) {
  for (int n = 1; n <= kExternalAxes; ++n) {
    if (TakesPart(data, n)) lines.push_back(makeLine(n));
  }
}

std::string Field(const ExAxData& data, const char* field, int n) {
  return data.Get(AxisKey(field, n));
}

std::string MachineDef(const ExAxData& data, int n) {
  return "MACHINE_DEF[" + MachineDefIndex(n) + "]={NAME[] " + Field(data, "ET_Name", n) +
         ",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT " + Field(data, "Root", n) + ",MECH_TYPE " +
         Field(data, "Kin", n) + ",GEOMETRY[] " + kQuotedBlank + "}";
}

std::string MachineFrameDat(const ExAxData& data, int n) {
  return "MACHINE_FRAME_DAT[" + BaseIndex(n) + "]={MACH_DEF_INDEX " + BaseIndex(n) + ",PARENT[] " +
         Field(data, "ET_Name", n) + ",GEOMETRY[] " + kQuotedBlank + "}";
}

std::string FileText(const UpgLines& lines) {
  std::string text = UpgFileHeader() + "\r\n\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

std::string UpgFilePath(const Context& context) {
  return context.ProgramFolder + "\\VANTREL\\Config_5x-6x.upg";
}

std::string UpgFileHeader() {
  return std::string(";automaticaly created file: ") + vantrel::kProgramTitle + ", V" +
         std::to_string(vantrel::kVersionMajor) + "." + std::to_string(vantrel::kVersionMinor) +
         "." + std::to_string(vantrel::kVersionRevision) + ",    Date: " + platform::DateText() +
         ", Time: " + platform::TimeText();
}

void AppendUpgLines(const std::string& sourceConfig, const ExAxData& data, UpgLines& lines) {
  lines.push_back("INT MAX_BASE=32");
  AppendFdat(sourceConfig, "DECL FDAT FDEFAULT=", lines);
  AppendFdat(sourceConfig, "DECL FDAT FHOME=", lines);
  AppendForAxes(data, lines, [&](int n) {
    return "BASE_DATA[" + BaseIndex(n) + "]=" + Field(data, "Offset", n);
  });
  AppendForAxes(data, lines, [&](int n) {
    return "BASE_NAME[" + BaseIndex(n) + ",]=" + Field(data, "Name", n);
  });
  AppendForAxes(data, lines,
                [&](int n) { return "BASE_TYPE[" + BaseIndex(n) + "]=" + Field(data, "Type", n); });
  AppendForAxes(data, lines, [&](int n) { return MachineDef(data, n); });
  AppendForAxes(data, lines, [&](int n) { return MachineFrameDat(data, n); });
}

// A control file that cannot be written must not leave the destination to
// an exchange with an old or missing file: the error is logged and the
// exchange program is not run.
void GenerateUpgFile(Context& context, const std::string& sourceConfig, const ExAxData& data,
                     UpgLines& lines) {
  AppendUpgLines(sourceConfig, data, lines);
  const std::string path = UpgFilePath(context);
  context.Log(". Generate the Upg-file: " + path);
  if (platform::Status status = platform::WriteFileAtomic(path, FileText(lines)); !status) {
    context.Log("# Can not write: " + path + " (" + status.reason + ")");
    return;
  }
  const std::string transfer = "Transfer all variables, descriped in" + path + " into Dest-file";
  context.Log(". +++ Start: " + transfer);
  RunExchange(context, {.form = foldex::Form::kSetDeclarations,
                        .file = context.Arg.InDest(context.SystemFile.FoundDestFile),
                        .control = path,
                        .modeGap = ""});
  context.Log(". +++ End: " + transfer);
}
