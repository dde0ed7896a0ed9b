#include "handles.h"
#include <atomic>

namespace afx {
namespace {
std::atomic<int> g_live[(int)HandleKind::Count];
int g_selectedDeletes;
AllocGate g_gate = nullptr;
}  // namespace

int LiveCount(HandleKind kind) { return g_live[(int)kind]; }
void CountCreated(HandleKind kind) { ++g_live[(int)kind]; }
void CountReleased(HandleKind kind) { --g_live[(int)kind]; }
int SelectedDeleteCount() { return g_selectedDeletes; }
void NoteSelectedDelete() { ++g_selectedDeletes; }

AllocGate SetAllocGateForTesting(AllocGate gate) {
    AllocGate previous = g_gate;
    g_gate = gate;
    return previous;
}

bool AllocAllowed(HandleKind kind, unsigned long long bytes) { return !g_gate || g_gate(kind, bytes); }

}  // namespace afx
