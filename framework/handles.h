// Live-object counters for every kind of handle the framework owns. Under Wine the
// system's own GDI counters answer 0, so leak tests read these instead.
#pragma once

namespace afx {

enum class HandleKind { DC, Bitmap, Brush, Palette, Global, File, Menu, ImageList, Font, Count };

int LiveCount(HandleKind kind);
void CountCreated(HandleKind kind);
void CountReleased(HandleKind kind);

// Number of times a GDI object was deleted while still selected into a device
// context. Windows refuses such a delete (and leaks); Wine lets it through, so the
// framework keeps its own record and tests assert that it stays 0.
int SelectedDeleteCount();
void NoteSelectedDelete();

// Every bitmap and global memory block the framework creates asks the allocation gate
// first. The default gate allows everything; a test installs one that refuses chosen
// allocations, to see what the program does when memory runs out without exhausting
// the machine. bytes is the size asked for (a bitmap counts four bytes a pixel).
using AllocGate = bool (*)(HandleKind kind, unsigned long long bytes);
// Installs a gate (null restores the default); returns the previous one.
AllocGate SetAllocGateForTesting(AllocGate gate);
// False when the gate refuses; the caller then fails as the platform would, with
// ERROR_NOT_ENOUGH_MEMORY as the last error.
bool AllocAllowed(HandleKind kind, unsigned long long bytes);

}  // namespace afx
