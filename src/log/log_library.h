#pragma once
// The five functions of the controller's log library that the system calls.
// LumoLibrary loads the real library at run time; MemoryLog keeps the lines
// in memory for tests of single operations.

#include <cstdint>
#include <string>
#include <vector>

#include "lumo.h"
#include "platform/platform.h"

class LogLibrary {
 public:
  virtual ~LogLibrary() = default;
  // GetLumoLoadDir: the library's folder, padded with blanks to 255.
  virtual std::string GetLumoLoadDir() = 0;
  virtual void LogCreate(const std::string& path, int32_t mode) = 0;
  virtual void SetErrorCounter(int32_t value) = 0;
  virtual void LogWrite(const std::string& line) = 0;
  virtual int32_t GetErrorCounter() = 0;
};

class LumoLibrary : public LogLibrary {
 public:
  // Loads the library file from folder; fails with the loader's reason or
  // the name of a function the library lacks.
  platform::Status Load(const std::string& folder);

  std::string GetLumoLoadDir() override;
  void LogCreate(const std::string& path, int32_t mode) override;
  void SetErrorCounter(int32_t value) override;
  void LogWrite(const std::string& line) override;
  int32_t GetErrorCounter() override;

 private:
  // The pointer types come from the library's own header, so that the
  // calling convention is the one the library is built with.
  using GetLoadDirFn = decltype(&::GetLumoLoadDir);
  using CreateFn = decltype(&::LogCreate);
  using SetCounterFn = decltype(&::SetErrorCounter);
  using WriteFn = decltype(&::LogWrite);
  using GetCounterFn = decltype(&::GetErrorCounter);

  platform::SharedLibrary library_;
  GetLoadDirFn getLoadDir_ = nullptr;
  CreateFn create_ = nullptr;
  SetCounterFn setCounter_ = nullptr;
  WriteFn write_ = nullptr;
  GetCounterFn getCounter_ = nullptr;
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
