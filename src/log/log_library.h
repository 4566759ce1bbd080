#pragma once
// The log library's two faces: LumoLibrary loads the real library at run
// time; MemoryLog keeps the lines in memory, for a dry run and for tests of
// single operations.

#include <cstdint>
#include <string>
#include <vector>

#include "core/log_library.h"
#include "lumo.h"
#include "platform/platform.h"

class LumoLibrary : public LogLibrary {
 public:
  // Loads the library file from folder; fails with the loader's reason or
  // the name of a function the library lacks.
  platform::Status Load(const std::string& folder);
  // Loads the library file from the running program's folder, as the
  // operating system names it.
  platform::Status LoadBesideProgram();

  std::string GetLumoLoadDir() override;
  void LogCreate(const std::string& path, int32_t mode) override;
  void SetErrorCounter(int32_t value) override;
  void LogWrite(const std::string& line) override;
  int32_t GetErrorCounter() override;
  void LogFlush() override;

 private:
   platform::Status FindFunctions();

   // The pointer types come from the library's own header, so that the
   // calling convention is the one the library is built with.
   using GetLoadDirFn = decltype(&::GetLumoLoadDir);
   using CreateFn = decltype(&::LogCreate);
   using SetCounterFn = decltype(&::SetErrorCounter);
   using WriteFn = decltype(&::LogWrite);
   using GetCounterFn = decltype(&::GetErrorCounter);
   using FlushFn = decltype(&::LogFlush);

   platform::SharedLibrary library_;
   GetLoadDirFn getLoadDir_ = nullptr;
   CreateFn create_ = nullptr;
   SetCounterFn setCounter_ = nullptr;
   WriteFn write_ = nullptr;
   GetCounterFn getCounter_ = nullptr;
   FlushFn flush_ = nullptr; // optional: a controller's library may lack it
};

class MemoryLog : public LogLibrary {
 public:
  std::vector<std::string> lines;
  std::string created;  // path of the last LogCreate
  int32_t counter = 0;

  std::string GetLumoLoadDir() override;
  void LogCreate(const std::string& path, int32_t mode) override;
  void SetErrorCounter(int32_t value) override { counter = value; }
  void LogWrite(const std::string& line) override;
  int32_t GetErrorCounter() override { return counter; }
};
