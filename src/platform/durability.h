#pragma once
// How the layer's writes reach the disk: one by one, or noted for the
// batch in force (DurableBatch), or left to the program that started this
// one. Private to the platform layer.

#include <string>

namespace platform::durable {

// The variable by which a batch tells the programs it starts to leave
// their writes to it.
inline constexpr const char* kByCaller = "VANTREL_DURABLE_BY_CALLER";

// Whether a write puts its file and its folder on the disk before it
// returns. A change watcher's own writes always do: they must be on the
// disk before the change they keep is made.
bool EachWrite();
// Whether a write may start the disk's work on its bytes at once, to be
// waited for later (by this process's batch or its caller's).
bool Deferred();
// The file at host, bytes and attributes, is to be put on the disk with
// the batch, and so are the names of its folder.
void NoteFile(const std::string& host);
// The same for a file written anew: noted only where its writer did not
// put it on the disk itself.
void NoteWritten(const std::string& host);
// The names in the folder at host changed.
void NoteFolder(const std::string& host);
// One more call that put something on the disk.
void CountSync();

}  // namespace platform::durable
