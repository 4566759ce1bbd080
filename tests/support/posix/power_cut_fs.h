#pragma once
// The power-cut file system (tools/powercut_fs) mounted for a test: a copy
// of a seed folder held in memory, which forgets at a cut whatever was not
// made durable. The test steers it: reset to the seed, cut the power after
// the K-th changing operation, reboot into the crash image.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testenv {

// Why the power-cut file system cannot be used here ("" when it can): not
// built, or no /dev/fuse.
std::string PowerCutFsMissing();

class PowerCutFs {
 public:
  // Serves a copy of the folder seedHost at mountHost, an empty folder, and
  // waits until it is mounted; mounted() tells whether it was.
  PowerCutFs(const std::string& seedHost, const std::string& mountHost);
  // Unmounts and waits for the file system's process.
  ~PowerCutFs();
  PowerCutFs(const PowerCutFs&) = delete;
  PowerCutFs& operator=(const PowerCutFs&) = delete;

  bool mounted() const { return mounted_; }
  // Why it is not mounted: the file system's own words where it gave any.
  const std::string& whyNot() const { return whyNot_; }

  void Reset() const;
  // The power fails right after the next `operations` changing operations.
  void CutAfter(std::uint64_t operations) const;
  // The state becomes the crash image (taken now where no cut fell since
  // the last reset or cut); again and again the same image.
  void Reboot() const;
  // From now on a cut also writes an ordered prefix, of a length drawn at
  // random from seed, of the changes not yet durable; or no longer.
  void TornCuts(bool torn, std::uint64_t seed) const;
  // What the file system tells of itself: "count N", "cut K", "torn L of M".
  std::string State() const;
  // Changing operations since the reset.
  std::uint64_t Count() const;
  // The number of the operation the cut fell after, 0 while none has.
  std::uint64_t CutAt() const;
  // Every changing operation since the reset, the first at index 0.
  std::vector<std::string> Operations() const;

 private:
  void Command(const std::string& line) const;
  std::uint64_t Field(const std::string& name) const;
  bool Unmount() const;

  std::string mountHost_;
  pid_t pid_ = -1;
  bool mounted_ = false;
  std::string whyNot_;
};

}  // namespace testenv
