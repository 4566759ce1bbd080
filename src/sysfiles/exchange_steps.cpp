#include "sysfiles/exchange_steps.h"

#include <vector>

#include "core/context.h"
#include "platform/platform.h"
#include "sysfiles/exchange.h"
#include "util/strings.h"

namespace {

std::string SourcePath(const Context& context) {
  return context.Arg.InSource(context.SystemFile.SourceFileName);
}

std::string FoundSourcePath(const Context& context) {
  return context.Arg.InSource(context.SystemFile.FoundSourceFile);
}

std::string FoundDestPath(const Context& context) {
  return context.Arg.InDest(context.SystemFile.FoundDestFile);
}

std::string Controlfile(const std::string& name) { return "(Controlfile: " + name + ")"; }

// The exchange program's three commands. The bar after the saved file
// differs between callers ("|" or "| "); the program accepts both.
// A save only reads its file.
void SaveFolds(Context& context, const std::string& file, const std::string& bar,
               const std::string& control) {
  RunExchange(context, {.file = file, .control = context.UpgFolder + control, .fileBar = bar},
              {file});
}

void ExchangeFolds(Context& context, const std::string& destFile, const std::string& control) {
  RunExchange(context, {.file = destFile, .control = context.UpgFolder + control});
}

void TransferVariables(Context& context) {
  const std::string source = FoundSourcePath(context);
  RunExchange(context,
              {.form = foldex::Form::kTransfer,
               .file = FoundDestPath(context),
               .control = context.UpgFolder + "Config_Cfile.upg",
               .source = source,
               .controlBar = " |",
               .modeGap = ""},
              {source});
}

void SaveSystemFolds(Context& context, const std::string& control, const std::string& bar) {
  const std::string path = SourcePath(context);
  const std::string ending = " " + Controlfile(control);
  context.Log(". +++ Start: Save the UserFolds in Sourcefile: " + path + ending);
  SaveFolds(context, path, bar, control);
  context.Log(". +++ End: Save the UserFolds in Sourcefile: " + path + ending);
}

// logName is the control file as the log names it; $CONFIG.DAT's differs
// from the command line's in the case of its first letter.
void ExchangeSystemFolds(Context& context, const std::string& control,
                         const std::string& logName) {
  const std::string path = FoundDestPath(context);
  const std::string ending = " " + Controlfile(logName);
  context.Log(". +++ Start: Exchange the UserFolds in  Dest.-file: " + path + ending);
  ExchangeFolds(context, path, control);
  context.Log(". +++ End: Exchange the UserFolds in  Dest.-file: " + path + ending);
}

// The log texts of the two templates differ in their blanks and colons,
// which the controller's log readers expect as they are.
struct TemplateSteps {
  std::string saveControl;
  std::string exchangeControl;
  std::string saveStartBefore;
  std::string saveStartAfter;
  std::string saveEndBefore;
  std::string saveEndAfter;
  std::string exchangeAfter;
};

void UpgradeFromTemplate(Context& context, const TemplateSteps& steps,
                         const std::string& templateRel, const std::string& userRel) {
  const std::string templatePath = context.Arg.InTemplate(templateRel);
  const std::string userPath = context.Arg.InDest(userRel);
  context.Log(steps.saveStartBefore + templatePath + steps.saveStartAfter);
  SaveFolds(context, templatePath, "| ", steps.saveControl);
  context.Log(steps.saveEndBefore + templatePath + steps.saveEndAfter);
  context.Log(". +++ Start: Exchange the Folds in Dest.file: " + userPath + steps.exchangeAfter);
  ExchangeFolds(context, userPath, steps.exchangeControl);
  context.Log(". +++ End: Exchange the Folds in Dest.file: " + userPath + steps.exchangeAfter);
}

}  // namespace

bool CheckFilePair(Context& context) {
  // A name found for an earlier file must not stand for this one.
  context.SystemFile.FoundSourceFile.clear();
  context.SystemFile.FoundDestFile.clear();
  context.Log(".Check file: " + context.SystemFile.SourceFileName);
  if (util::EqualsNoCase(context.Arg.Source, context.Arg.Dest)) {
    context.Log("# ERROR: source path = destination path");
    return false;
  }
  const std::string source = SourcePath(context);
  if (!platform::FileExists(source)) {
    context.Log("# " + source + " not found");
    return false;
  }
  context.Log(".Source file found:  " + source);
  context.SystemFile.FoundSourceFile = context.SystemFile.SourceFileName;
  const std::string dest = context.Arg.InDest(context.SystemFile.DestFileName);
  if (!platform::FileExists(dest)) {
    context.Log("# " + dest + " not found");
    return false;
  }
  context.SystemFile.FoundDestFile = context.SystemFile.DestFileName;
  context.Log(".Destination file found: " + dest);
  return true;
}

void UpgradeIrStopm(Context& context) {
  SaveSystemFolds(context, "ir_stopm_of.upg", "|");
  ExchangeSystemFolds(context, "ir_stopm_nf.upg", "ir_stopm_nf.upg");
}

void UpgradeSpsSub(Context& context) {
  SaveSystemFolds(context, "sps_sub_of.upg", "| ");
  ExchangeSystemFolds(context, "sps_sub_nf.upg", "sps_sub_nf.upg");
}

void UpgradeConfigDat(Context& context) {
  const std::string transfer =
      "Transfer all variables, descriped in -Config_Cfile.upg- from Sourcefile to Dest-file "
      "(Controlfile:Config_Cfile.upg)";
  SaveSystemFolds(context, "Config_of.upg", "|");
  context.StdForm.Value = 100;
  context.Log(". +++ Start: " + transfer);
  TransferVariables(context);
  context.Log(". +++ End: " + transfer);
  context.StdForm.Value = 200;
  ExchangeSystemFolds(context, "config_nf.upg", "Config_nf.upg");
}

void UpgradeFromVorgabeSrc(Context& context, const std::string& templateRel,
                           const std::string& userRel) {
  const TemplateSteps steps{
      "Vorgabe_Src_of.upg",
      "Vorgabe_Src_nf.upg",
      ". +++ Start: Save the Folds in: ",
      Controlfile("Vorgabe_Src_of.upg"),
      ". +++ End: Save the Folds in: ",
      " " + Controlfile("Vorgabe_Src_of.upg"),
      " " + Controlfile("Vorgabe_Src_nf.upg"),
  };
  UpgradeFromTemplate(context, steps, templateRel, userRel);
}

void UpgradeFromVorgabeDat(Context& context, const std::string& templateRel,
                           const std::string& userRel) {
  const TemplateSteps steps{
      "Vorgabe_Dat_of.upg",
      "Vorgabe_Dat_nf.upg",
      ". +++ Start: Save the Folds in",
      Controlfile("Vorgabe_Dat_of.upg"),
      ". +++ End: Save the Folds in ",
      Controlfile("Vorgabe_Dat_of.upg"),
      Controlfile("Vorgabe_Dat_nf.upg"),
  };
  UpgradeFromTemplate(context, steps, templateRel, userRel);
}

// The folder is listed once: searching again after each deletion would
// find a file that cannot be deleted again and again. A file left behind
// is only a leftover of the exchange program and worth no message.
void KillFilesByExtension(Context&, const std::string& folder, const std::string& ext) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::vector<std::string> names;
  if (!platform::FindFiles(folder, ext, names)) return;
  for (const std::string& name : names) {
    const std::string path = prefix + name;
    platform::SetAttributes(path, 0);
    platform::RemoveFile(path);
  }
}
