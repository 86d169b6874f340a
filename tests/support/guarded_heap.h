// While an object of this class lives, every HeapAlloc, HeapReAlloc and HeapFree that the program's own
// code makes gets a block of its own whose last byte sits right before a PAGE_NOACCESS page,
// so a read or write one byte past any heap buffer faults at once. The blocks come zeroed,
// as HEAP_ZERO_MEMORY would give them. Only the test program's imports are redirected;
// the C runtime and the system DLLs keep the real heap.
#pragma once

#include "support/import_patch.h"

class GuardedHeap {
public:
    GuardedHeap();
    ~GuardedHeap();
    GuardedHeap(const GuardedHeap&) = delete;
    GuardedHeap& operator=(const GuardedHeap&) = delete;

    // HeapReAlloc may not be imported at all; then nothing can reach it.
    bool ok() const { return alloc_.ok() && free_.ok(); }
    int allocations() const;
    int live() const;   // guarded blocks not yet freed

private:
    ImportPatch alloc_;
    ImportPatch free_;
    ImportPatch realloc_;
};
