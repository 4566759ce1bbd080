#pragma once
// Keeps an unexpected failure inside one operation: it becomes one error
// line naming the operation, and the caller goes on with the next step.
// The end of the process (ProcessEnd) passes through. Each guarded
// operation is a step of the run: a stop requested meanwhile ends the run
// before the next one begins.

#include <exception>
#include <new>
#include <string>

#include "core/context.h"
#include "core/run_stopped.h"

template <typename Operation>
void Guarded(Context& context, const std::string& what, Operation&& operation) {
  StopIfRequested();
  try {
    operation();
  } catch (const ProcessEnd&) {
    throw;
  } catch (const std::exception& error) {
    context.Log("# " + what + " failed: " + error.what());
  } catch (...) {
    context.Log("# " + what + " failed");
  }
}
