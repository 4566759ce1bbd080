#include "app/context.h"

#include "log/log_library.h"

void Context::Log(const std::string& line) {
  if (Lumo) Lumo->LogWrite(line);
}

void Context::LogOnce(const std::string& line) {
  if (ReportedFaults.insert(line).second) Log(line);
}
