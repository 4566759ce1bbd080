// A log library built apart from the program, from the same header: it
// stands for a controller's own library dropped into the program folder.
// It marks its log so that a test can tell whose library wrote it.

#include <cstdio>
#include <cstring>
#include <string>

#include "lumo.h"

namespace {
std::FILE* g_log = nullptr;
std::string g_path;
int32_t g_errors = 0;

void Fill(char* buffer, int32_t length, const std::string& text) {
  for (int32_t i = 0; buffer && i < length; ++i)
    buffer[i] = i < static_cast<int32_t>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
}
}  // namespace

extern "C" {

LUMO_EXPORT void LUMO_CALL GetLumoLoadDir(char* buffer, int32_t length) {
  Fill(buffer, length, "stand-in");
}

LUMO_EXPORT void LUMO_CALL LogCreate(const char* path, int32_t) {
  if (g_log) std::fclose(g_log);
  g_path = path ? path : "";
  g_log = g_path.empty() ? nullptr : std::fopen(g_path.c_str(), "wb");
  if (g_log) std::fputs("~stand-in log library\r\n", g_log);
}

LUMO_EXPORT void LUMO_CALL SetErrorCounter(int32_t value) { g_errors = value; }

LUMO_EXPORT void LUMO_CALL LogWrite(const char* line) {
  if (!line) return;
  if (line[0] == '#') ++g_errors;
  if (!g_log) return;
  std::fprintf(g_log, "%s\r\n", line);
  std::fflush(g_log);
}

LUMO_EXPORT int32_t LUMO_CALL GetErrorCounter(void) { return g_errors; }

LUMO_EXPORT void LUMO_CALL LogWriteEx(const char* line, int32_t) { LogWrite(line); }

LUMO_EXPORT void LUMO_CALL LogSetLevel(int32_t) {}

LUMO_EXPORT void LUMO_CALL LogGetName(char* buffer, int32_t length) { Fill(buffer, length, g_path); }
}
