// Live-object counters for every kind of handle the framework owns. Under Wine the
// system's own GDI counters answer 0, so leak tests read these instead.
#pragma once

namespace afx {

enum class HandleKind { DC, Bitmap, Brush, Palette, Global, File, Menu, Count };

int LiveCount(HandleKind kind);
void CountCreated(HandleKind kind);
void CountReleased(HandleKind kind);

// Number of times a GDI object was deleted while still selected into a device
// context. Windows refuses such a delete (and leaks); Wine lets it through, so the
// framework keeps its own record and tests assert that it stays 0.
int SelectedDeleteCount();
void NoteSelectedDelete();

}  // namespace afx
