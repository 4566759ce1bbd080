// A stand-in for the exchange program, installed as Foldex.exe in a scratch
// program folder. Every call appends its argument text as one line to
// foldex-calls.txt in its folder. What it does besides is read from the
// file named after it with ".fake" (Foldex.fake), one instruction a line:
//   exit N        end with exit code N (without the file: 0)
//   exchange      do the real exchange program's work
//   die-within N  with exchange: end at once, as if killed, after
//                 (number of this call mod N) milliseconds
//   die-after-us N  with exchange: end at once, as if killed, after N
//                 microseconds
//   die-at-call K with die-after-us: only the K-th call (from 1) ends so;
//                 the others do the whole exchange
//   wait-for NAME before anything else, wait until the file NAME exists
//                 in its folder, as a program that hangs until released
//   interrupt-at-call K  at the K-th call (from 1) send SIGINT to the run
//                 that started it and die of SIGINT, as Ctrl-C in a
//                 terminal reaches both (POSIX only)
//   hold-at-call K  at the K-th call (from 1), before its work, create
//                 Foldex.held in its folder and wait until Foldex.go is
//                 there: a moment at which a test can interrupt the run
//   garbage       write bytes that are no text (NULs, control characters,
//                 line ends of every kind, lines that look like log lines)
//                 to standard output and standard error
//   scribble      write 300 random bytes over the first path of its
//                 command line (for a save, the file it should only read)
// The calls are counted in the file named after it with ".count", by the
// one instruction of those above that counts them.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include "foldex.h"
#include "platform/platform.h"

namespace {

struct Behaviour {
  int exitCode = 0;
  bool exchange = false;
  int dieWithin = 0;
  long dieAfterMicroseconds = -1;
  int dieAtCall = 0;
  std::string waitFor;
  bool garbage = false;
  bool scribble = false;
  int interruptAtCall = 0;
  int holdAtCall = 0;
};

Behaviour ReadBehaviour(const std::string& path) {
  Behaviour behaviour;
  std::string text;
  if (!platform::ReadFileBytes(path, text)) return behaviour;
  std::istringstream lines(text);
  for (std::string word; lines >> word;) {
    if (word == "exit") lines >> behaviour.exitCode;
    if (word == "exchange") behaviour.exchange = true;
    if (word == "die-within") lines >> behaviour.dieWithin;
    if (word == "die-after-us") lines >> behaviour.dieAfterMicroseconds;
    if (word == "die-at-call") lines >> behaviour.dieAtCall;
    if (word == "wait-for") lines >> behaviour.waitFor;
    if (word == "garbage") behaviour.garbage = true;
    if (word == "scribble") behaviour.scribble = true;
    if (word == "interrupt-at-call")
      lines >> behaviour.interruptAtCall;
    if (word == "hold-at-call") lines >> behaviour.holdAtCall;
  }
  return behaviour;
}

void AppendLine(const std::string& path, const std::string& line) {
  std::string text;
  platform::ReadFileBytes(path, text);
  platform::WriteFileAtomic(path, text + line + "\n");
}

int NextCallNumber(const std::string& path) {
  std::string text;
  platform::ReadFileBytes(path, text);
  int number = std::atoi(text.c_str()) + 1;
  platform::WriteFileAtomic(path, std::to_string(number));
  return number;
}

#ifdef _WIN32
// Set for the child that does the exchange of a call that is cut off.
constexpr const char* kExchangeOnly = "VANTREL_FAKE_FOLDEX_EXCHANGE_ONLY";

bool IsExchangeOnlyChild() { return GetEnvironmentVariableA(kExchangeOnly, nullptr, 0) > 0; }

// Under wine a process that ends itself while another of its threads is
// inside the exchange can wait for ever on a lock that thread held, and
// with it every run waiting for the exchange program. So the exchange runs
// in a child copy of this program, and this one ends it from outside, as a
// kill does: the child is cut off wherever it is, files open.
[[noreturn]] void ExchangeCutOffAfter(const std::string& /*argument*/,
                                      std::chrono::microseconds wait) {
  SetEnvironmentVariableA(kExchangeOnly, "1");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::string commandLine = GetCommandLineA();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child))
    std::_Exit(2);
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count();
  DWORD code = 137;
  if (WaitForSingleObject(child.hProcess, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0) {
    GetExitCodeProcess(child.hProcess, &code);
  } else {
    TerminateProcess(child.hProcess, 137);
    WaitForSingleObject(child.hProcess, INFINITE);
  }
  std::_Exit(static_cast<int>(code));
}
#else
bool IsExchangeOnlyChild() { return false; }

std::atomic_flag g_ending = ATOMIC_FLAG_INIT;

// Ends the process at once, as a kill from outside does. Only the first of
// the two threads ends it.
[[noreturn]] void EndAtOnce(int code) {
  if (g_ending.test_and_set())
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  std::_Exit(code);
}

// The exchange runs while this thread waits; ending the process from here
// cuts the exchange off wherever it is, files open, as a kill would.
[[noreturn]] void ExchangeCutOffAfter(const std::string& argument,
                                      std::chrono::microseconds wait) {
  std::thread([argument] { EndAtOnce(foldex::Run(argument)); }).detach();
  std::this_thread::sleep_for(wait);
  EndAtOnce(137);
}
#endif

void ScribbleOverFirstPath(const std::string& argument) {
  foldex::Command command;
  if (!foldex::ParseCommandLine(argument, command)) return;
  std::mt19937 random{std::random_device{}()};
  std::string bytes(300, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
  platform::WriteFileAtomic(command.file, bytes);
}

void WaitUntilExists(const std::string& path) {
  while (!platform::Exists(path)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void WriteGarbage() {
  std::string bytes = "# not a log line\r\n! nor this\n\r";
  for (int code = 0; code < 256; ++code) bytes += static_cast<char>(code);
  bytes += std::string(5000, '\0') + "\r\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stdout);
  std::fflush(stderr);
}

// Ctrl-C as a terminal gives it: to the run and to this program alike.
void InterruptRunAndSelf() {
#ifndef _WIN32
  kill(getppid(), SIGINT);
  signal(SIGINT, SIG_DFL);
  raise(SIGINT);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const std::string argument = platform::ArgumentText(argc, argv);
  if (IsExchangeOnlyChild()) return foldex::Run(argument);
  const std::string self = platform::ProgramFolder() + "\\" + platform::ProgramName();
  AppendLine(platform::ProgramFolder() + "\\foldex-calls.txt", argument);
  Behaviour behaviour = ReadBehaviour(self + ".fake");
  if (!behaviour.waitFor.empty())
    WaitUntilExists(platform::ProgramFolder() + "\\" + behaviour.waitFor);
  if (behaviour.holdAtCall > 0 && NextCallNumber(self + ".count") == behaviour.holdAtCall) {
    platform::WriteFileAtomic(platform::ProgramFolder() + "\\Foldex.held", "");
    WaitUntilExists(platform::ProgramFolder() + "\\Foldex.go");
  }
  if (behaviour.interruptAtCall > 0 &&
      NextCallNumber(self + ".count") == behaviour.interruptAtCall)
    InterruptRunAndSelf();
  if (behaviour.garbage) WriteGarbage();
  if (behaviour.scribble) ScribbleOverFirstPath(argument);
  if (behaviour.exchange && behaviour.dieWithin > 0)
    ExchangeCutOffAfter(argument, std::chrono::milliseconds(NextCallNumber(self + ".count") %
                                                            behaviour.dieWithin));
  if (behaviour.exchange && behaviour.dieAfterMicroseconds >= 0 &&
      (behaviour.dieAtCall == 0 || NextCallNumber(self + ".count") == behaviour.dieAtCall))
    ExchangeCutOffAfter(argument, std::chrono::microseconds(behaviour.dieAfterMicroseconds));
  if (behaviour.exchange) return foldex::Run(argument);
  return behaviour.exitCode;
}
