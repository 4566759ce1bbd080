#pragma once
// The five functions of the controller's log library that the system calls
// (and the optional flush), as the core sees them: which library stands
// behind them is the entrance's choice.

#include <cstdint>
#include <string>

class LogLibrary {
 public:
  virtual ~LogLibrary() = default;
  // GetLumoLoadDir: the library's folder, padded with blanks to 255.
  virtual std::string GetLumoLoadDir() = 0;
  virtual void LogCreate(const std::string& path, int32_t mode) = 0;
  virtual void SetErrorCounter(int32_t value) = 0;
  virtual void LogWrite(const std::string& line) = 0;
  virtual int32_t GetErrorCounter() = 0;
  // Has the lines written so far reach the file; a library without the
  // function writes each line at once.
  virtual void LogFlush() {}
};
