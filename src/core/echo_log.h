#pragma once
// A log library that shows each line as it is written before it hands it
// on (--verbose): every line reaches it, also those written without the
// context (the installation paths, the library's folder).

#include <functional>
#include <string>
#include <utility>

#include "core/log_library.h"
#include "util/strings.h"

class EchoingLog : public LogLibrary {
 public:
  EchoingLog(LogLibrary& inner, std::function<void(const std::string&)> echo)
      : inner_(inner), echo_(std::move(echo)) {}

  std::string GetLumoLoadDir() override { return inner_.GetLumoLoadDir(); }
  void LogCreate(const std::string& path, int32_t mode) override { inner_.LogCreate(path, mode); }
  void SetErrorCounter(int32_t value) override { inner_.SetErrorCounter(value); }
  void LogWrite(const std::string& line) override {
    echo_(util::Printable(line));
    inner_.LogWrite(line);
  }
  int32_t GetErrorCounter() override { return inner_.GetErrorCounter(); }
  void LogFlush() override { inner_.LogFlush(); }

 private:
  LogLibrary& inner_;
  std::function<void(const std::string&)> echo_;
};

// The log a run writes to: log itself, or log through echo when echo is
// set. Keep the returned object alive while the run uses it.
class RunLogLibrary {
 public:
  RunLogLibrary(LogLibrary& log, const std::function<void(const std::string&)>& echo)
      : echoing_(log, echo), chosen_(echo ? static_cast<LogLibrary*>(&echoing_) : &log) {}
  LogLibrary* get() { return chosen_; }

 private:
  EchoingLog echoing_;
  LogLibrary* chosen_;
};
