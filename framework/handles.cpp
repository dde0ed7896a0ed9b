#include "handles.h"

namespace afx {
namespace {
int g_live[(int)HandleKind::Count];
int g_selectedDeletes;
}  // namespace

int LiveCount(HandleKind kind) { return g_live[(int)kind]; }
void CountCreated(HandleKind kind) { ++g_live[(int)kind]; }
void CountReleased(HandleKind kind) { --g_live[(int)kind]; }
int SelectedDeleteCount() { return g_selectedDeletes; }
void NoteSelectedDelete() { ++g_selectedDeletes; }

}  // namespace afx
