#pragma once
// The operations the run sequence calls, each owned by its subsystem.

#include "config56/version_check.h"
#include "sysfiles/exchange_steps.h"
#include "sysfiles/ini_file.h"
#include "sysfiles/path_check.h"
#include "sysfiles/system_files.h"
#include "trees/attributes.h"
#include "trees/copy.h"
#include "userfiles/user_files.h"
