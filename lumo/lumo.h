#pragma once
// The controller's log library: writes log lines to one file and counts the
// error lines (those that begin with "#"). Every text is a zero-terminated
// 8-bit string; the functions use the platform's standard calling convention.

#include <stdint.h>

// On Windows the functions are exported by lumo.def under their plain
// names, so that a controller's own library can stand in for ours.
#ifdef _WIN32
#define LUMO_CALL __stdcall
#define LUMO_EXPORT
#else
#define LUMO_CALL
#define LUMO_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Fills buffer with the folder the library was loaded from, padded with
// blanks to length; no terminating zero is written inside length.
LUMO_EXPORT void LUMO_CALL GetLumoLoadDir(char* buffer, int32_t length);
// Keeps an existing file of that name as <path>.bak and starts an empty one.
LUMO_EXPORT void LUMO_CALL LogCreate(const char* path, int32_t mode);
LUMO_EXPORT void LUMO_CALL SetErrorCounter(int32_t value);
// Writes line verbatim followed by CR LF.
LUMO_EXPORT void LUMO_CALL LogWrite(const char* line);
LUMO_EXPORT int32_t LUMO_CALL GetErrorCounter(void);

// Present for callers that use them; the upgrade program does not.
LUMO_EXPORT void LUMO_CALL LogWriteEx(const char* line, int32_t level);
LUMO_EXPORT void LUMO_CALL LogSetLevel(int32_t level);
LUMO_EXPORT void LUMO_CALL LogGetName(char* buffer, int32_t length);
}
