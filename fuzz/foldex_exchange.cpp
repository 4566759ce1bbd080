// The exchange program's save, exchange, transfer and set-declarations
// steps, in-process, on an arbitrary target, store or source and control
// text. A target whose folds paired up before must pair up after any step;
// a save leaves its file alone and writes a store the exchange can read.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foldex.h"
#include "folds.h"
#include "store.h"
#include "support/harness.h"
#include "text.h"

namespace {

const std::string kControl = "C:\\Prog\\Vantrel\\Step.upg";
const std::string kStore = "C:\\Prog\\Vantrel\\Fuzz.add";
const std::string kTarget = "C:\\New\\R1\\System\\SPS.SUB";
const std::string kSource = "C:\\Old\\R1\\System\\SPS.SUB";

bool FoldsPairUp(const std::string& bytes) {
  return foldex::ParseFolds(bytes, foldex::SplitLines(bytes)).faults.empty();
}

int RunStep(const std::string& argument) {
  foldex::Problems problems;
  return foldex::Run(argument, problems);
}

void CheckTargetStillPairs(const std::string& before) {
  if (FoldsPairUp(before))
    fuzzing::Expect(FoldsPairUp(fuzzing::Get(kTarget)), "a step broke the target's folds");
}

void Save(const std::string& controlRest) {
  fuzzing::Remove(kStore);
  fuzzing::Put(kControl, "ACTION=SAVE\r\nSTORE=Fuzz.add\r\n" + controlRest);
  const std::string before = fuzzing::Get(kSource);
  const int code = RunStep(kSource + " | " + kControl + " /TXT");
  fuzzing::Expect(fuzzing::Get(kSource) == before, "a save changed its file");
  foldex::Problems problems;
  std::vector<foldex::StoredFold> stored;
  if (code == foldex::kDone)
    fuzzing::Expect(foldex::ReadStore(kStore, stored, problems), "a save wrote a damaged store");
}

void Exchange(const std::string& controlRest) {
  fuzzing::Put(kControl, "ACTION=EXCHANGE\r\nSTORE=Fuzz.add\r\n" + controlRest);
  const std::string before = fuzzing::Get(kTarget);
  RunStep(kTarget + " | " + kControl + " /TXT");
  CheckTargetStillPairs(before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int step = input.ConsumeIntegralInRange(0, 4);
  const std::string control = input.ConsumeRandomLengthString(size);
  const std::string target = input.ConsumeRandomLengthString(size);
  const std::string other = input.ConsumeRemainingBytesAsString();
  fuzzing::Put(kTarget, target);
  switch (step) {
    case 0:  // save from an arbitrary file
      fuzzing::Put(kSource, other);
      Save(control);
      break;
    case 1:  // exchange from an arbitrary store
      fuzzing::Put(kStore, other);
      Exchange(control);
      break;
    case 2:  // save, then exchange what was saved
      fuzzing::Put(kSource, other);
      Save(control);
      Exchange("");
      break;
    case 3: {  // transfer from an arbitrary source
      fuzzing::Put(kSource, other);
      fuzzing::Put(kControl, control);
      RunStep(kTarget + " | " + kControl + " | " + kSource + "/DAT");
      CheckTargetStillPairs(target);
      break;
    }
    default:  // set declarations from an arbitrary control file
      fuzzing::Put(kControl, control + other);
      RunStep(kTarget + " | " + kControl + "/DAT");
      CheckTargetStillPairs(target);
      break;
  }
  return 0;
}
