#pragma once
// The plan of a run: what a run would do, as found by running it in a
// read-only scope (main: --dry-run).

#include <string>

struct RunRecord;
namespace platform {
struct WouldDo;
}

std::string PlanText(const RunRecord& record, const platform::WouldDo& wouldDo);
// The same plan as one JSON document.
std::string PlanJson(const RunRecord& record, const platform::WouldDo& wouldDo);
