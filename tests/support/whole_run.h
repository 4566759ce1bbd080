#pragma once
// The names the tests of whole runs share, brought in with one
// `using namespace testenv::whole_run;`.

#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace testenv::whole_run {

using testenv::BatchRun;
using testenv::kNewInstallation;
using testenv::kOldInstallation;
using testenv::kProgramFolder;
using testenv::kRunCommand;
using testenv::ScratchDrive;
using testenv::TreeSnapshot;
using Lines = std::vector<std::string>;

}  // namespace testenv::whole_run
