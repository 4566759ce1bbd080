#include "config56/version_check.h"

#include "core/context.h"
#include "config56/config_text.h"
#include "config56/migration.h"
#include "platform/platform.h"
#include "util/strings.h"

namespace {

bool HasV5Keys(const std::string& upperText, bool both) {
  const bool data = util::Contains(upperText, "EX_AX_DATA[1]=");
  const bool name = util::Contains(upperText, "EX_AX_NAME[1,]=");
  return both ? data && name : data || name;
}

// The finding is logged for both files; only a 5.x source meeting a 6.x
// destination is migrated.
void DecideAndMigrate(Context& context, const std::string& source, const std::string& dest,
                      const std::string& machine) {
  context.Log(". ");
  context.Log(". Check the both Files, is here a additional upgrade from V5.x to V6.x needed?");
  if (!HasV5Keys(util::Upper(source), true)) {
    context.Log(
        ". The $config.dat in SOURCE is NOT from V5.x  --> additional upgrade from V5.x to V6.x "
        "is NOT necessary");
    return;
  }
  context.Log(". The $config.dat in SOURCE is from V5.x ");
  if (HasV5Keys(util::Upper(dest), false)) {
    context.Log(
        "# The $Config.dat in DESTINATION is NOT from V6.x  --> additional upgrade from V5.x to "
        "V6.x is NOT not possible");
    return;
  }
  context.Log(". The $config.dat in DESTINATION is from V6.x ");
  context.Log(". Additional upgrade from V5.x to V6.x is necessary !");
  context.Record.migrationRun = true;
  MigrateConfig(context, source, dest, machine);
}

}  // namespace

// A file that exists but cannot be read would pass as an empty one: an
// unreadable destination as a 6.x file, unreadable machine data as axes
// without names. So the first such failure ends the check, with its one
// error line; a missing file is an empty text and the reading goes on.
void CheckConfigVersion(Context& context) {
  auto unreadable = [&context](const std::string& path, std::string& text) {
    return ReadConfigFile(context, path, text) == ReadResult::kFailed;
  };
  std::string source, dest, machine;
  if (unreadable(context.Arg.InSource(context.SystemFile.SourceFileName), source) ||
      unreadable(context.Arg.InDest(context.SystemFile.DestFileName), dest) ||
      unreadable(context.Arg.InSource("Mada\\$machine.dat"), machine)) {
    return;
  }
  DecideAndMigrate(context, source, dest, machine);
}

namespace {
bool HoldsV5Configuration(const std::string& path) {
  std::string bytes;
  if (!platform::ReadFileBytes(path, bytes)) return false;
  return HasV5Keys(util::Upper(CompactBlanks(bytes)), true);
}
}  // namespace

bool DestinationIsTheOlder(const Context& context) {
  const std::string config = "System\\$CONFIG.DAT";
  return HoldsV5Configuration(context.Arg.InDest(config)) &&
         !HoldsV5Configuration(context.Arg.InSource(config));
}
