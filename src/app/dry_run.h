#pragma once
// A run that changes nothing and tells what it would do.

#include <string>

struct Context;

enum class PlanFormat { kText, kJson };

// Runs the upgrade of context.CommandLine in a read-only scope, logging to
// memory instead of the log file. Returns the run's exit code; plan is the
// plan in the given format.
int RunDry(Context& context, PlanFormat format, std::string& plan);
