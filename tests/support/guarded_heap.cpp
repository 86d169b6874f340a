#include "support/guarded_heap.h"

#include <cstdint>
#include <cstring>

namespace {

int s_allocations = 0;
int s_live = 0;

struct BlockHeader {
    uint64_t magic;
    void* base;
    size_t bytes;
    int serial;
};
constexpr uint64_t kMagic = 0x6A6F7477656C6C21ull;

BlockHeader* HeaderOf(void* data)
{
    const uintptr_t at = reinterpret_cast<uintptr_t>(data) - sizeof(BlockHeader);
    return reinterpret_cast<BlockHeader*>(at - at % alignof(BlockHeader));
}

using HeapFreeFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
using HeapReAllocFunction = LPVOID(WINAPI*)(HANDLE, DWORD, LPVOID, SIZE_T);

HeapReAllocFunction RealHeapReAlloc()
{
    static const auto real = reinterpret_cast<HeapReAllocFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "HeapReAlloc")));
    return real;
}

// The real HeapFree, looked up by name: the import itself is redirected here.
HeapFreeFunction RealHeapFree()
{
    static const auto real = reinterpret_cast<HeapFreeFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "HeapFree")));
    return real;
}

size_t PageSize()
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwPageSize;
}

LPVOID WINAPI GuardedAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    const size_t page = PageSize();
    // The header sits in the page before the data's first page, so the data can start at
    // any byte and still end right at the guard.
    const size_t dataPages = (bytes + page - 1) / page;
    const size_t total = (1 + dataPages + 1) * page;
    auto* base = static_cast<BYTE*>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base) {
        if (flags & HEAP_GENERATE_EXCEPTIONS) RaiseException(STATUS_NO_MEMORY, 0, 0, nullptr);
        return nullptr;
    }
    (void)heap;
    BYTE* guard = base + (1 + dataPages) * page;
    DWORD old = 0;
    VirtualProtect(guard, page, PAGE_NOACCESS, &old);
    // The block ends exactly at the guard, whatever its alignment: x86 reads unaligned data.
    BYTE* data = guard - bytes;
    BlockHeader* header = HeaderOf(data);
    header->magic = kMagic;
    header->base = base;
    header->bytes = bytes;
    header->serial = s_allocations;
    ++s_allocations;
    ++s_live;
    return data;
}

bool IsGuarded(void* memory)
{
    BlockHeader* header = HeaderOf(memory);
    MEMORY_BASIC_INFORMATION info = {};
    return VirtualQuery(header, &info, sizeof(info)) && info.State == MEM_COMMIT && info.Protect == PAGE_READWRITE &&
           header->magic == kMagic;
}

BOOL WINAPI GuardedFree(HANDLE heap, DWORD flags, LPVOID memory)
{
    if (!memory) return TRUE;
    BlockHeader* header = HeaderOf(memory);
    if (IsGuarded(memory)) {
        header->magic = 0;

        VirtualFree(header->base, 0, MEM_RELEASE);
        --s_live;
        return TRUE;
    }
    // A block from before the patch.
    return RealHeapFree()(heap, flags, memory);
}

LPVOID WINAPI GuardedReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes)
{
    // Blocks from before the patch stay on the real heap.
    if (!memory || !IsGuarded(memory)) return RealHeapReAlloc()(heap, flags, memory, bytes);
    if (flags & HEAP_REALLOC_IN_PLACE_ONLY) return nullptr;
    const size_t old = HeaderOf(memory)->bytes;
    void* grown = GuardedAlloc(heap, flags, bytes);
    if (!grown) return nullptr;
    std::memcpy(grown, memory, old < bytes ? old : bytes);
    GuardedFree(heap, 0, memory);
    return grown;
}

} // namespace

GuardedHeap::GuardedHeap()
    : alloc_("kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(&GuardedAlloc)),
      free_("kernel32.dll", "HeapFree", reinterpret_cast<void*>(&GuardedFree)),
      realloc_("kernel32.dll", "HeapReAlloc", reinterpret_cast<void*>(&GuardedReAlloc))
{
}

GuardedHeap::~GuardedHeap() = default;

int GuardedHeap::allocations() const
{
    return s_allocations;
}

int GuardedHeap::live() const
{
    return s_live;
}
