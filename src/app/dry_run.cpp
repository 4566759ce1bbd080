#include "app/dry_run.h"

#include "core/context.h"
#include "core/echo_log.h"
#include "app/plan.h"
#include "app/startup.h"
#include "log/log_library.h"
#include "platform/platform.h"

int RunDry(Context& context, PlanFormat format, std::string& plan) {
  MemoryLog memory;
  LogLibrary* lumo = context.Lumo;
  RunLogLibrary log(memory, context.EchoLogLine);
  context.Lumo = log.get();
  int exitCode = 0;
  {
    platform::ReadOnlyScope scope;
    exitCode = RunBatch(context);
    plan = format == PlanFormat::kJson ? PlanJson(context.Record, scope.wouldDo())
                                       : PlanText(context.Record, scope.wouldDo());
  }
  context.Lumo = lumo;
  return exitCode;
}
