#pragma once
// The POSIX shared memory objects the show makes for the kitty picture: the
// probe's, which asks whether the terminal reads our memory at all, and a
// ring of kSharedFrameSlots frames. The terminal removes each object once
// it has read it, and a slot is used again only once its object is gone:
// never more than the ring is alive, and no object is written while the
// terminal may still be reading it. The names carry the process id,
// /vesper-glint-<pid>-<slot> and /vesper-glint-probe-<pid>, so that what a
// killed show left can be told and removed.
#include <cstdint>
#include <span>
#include <string>

constexpr int kSharedFrameSlots = 8;
constexpr int kProbeObject = -1;  // the slot of the probe's object

// The name of a slot's object, or the probe's.
std::string sharedObjectName(int slot);

enum class SharedObjectWrite { Written, Busy, Failed };

// Makes the slot's object holding `bytes`. Busy while the object made there
// before is still there; Failed, with the reason in `error`, when it cannot
// be made or filled (a full /dev/shm), and then nothing is left of it.
SharedObjectWrite writeSharedObject(int slot, std::span<const std::uint8_t> bytes,
                                    std::string& error);

// Removes the slot's object, if it is still there.
void removeSharedObject(int slot);

// Removes every object this process has made that may still be there.
// Async-signal-safe: for the ways out that cannot run their owners' clean-up
// (a fatal signal, a library's exit()).
void removeSharedObjectsNow();
