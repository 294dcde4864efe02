// The game's large blocks (its frames, the background scene, the picture shown in the window) on huge pages.
// A fresh 2 MB frame on 4 KB pages costs 512 page faults when it is first drawn: 5 to 13 ms on the virtual
// machines the game is tested on, several times over before the window's first frame. On a huge page it costs one.
// Every C++ allocation of the game comes here (the toolkit's own memory does not); a block of LargeBlock bytes or
// more gets its own mapping, aligned to the huge page size and marked for huge pages, everything else goes to
// malloc. Where the system gives no huge pages the mapping simply has small ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace {

constexpr size_t HugePage = size_t{2} << 20;
constexpr size_t LargeBlock = size_t{3} << 19; // 1.5 MB: a smaller block would waste most of its huge page

// Each block starts with this header; the caller's bytes follow it (16 bytes keep malloc's alignment).
struct alignas(16) BlockHeader {
    size_t mappedLength; // 0 for a block from malloc
    void* mapping;
};

size_t RoundUp(size_t value, size_t step)
{
    return (value + step - 1) / step * step;
}

void* MapLargeBlock(size_t size)
{
    size_t length = RoundUp(size + sizeof(BlockHeader), HugePage);
    // Map one huge page more than needed and trim both ends, so that the block starts on a huge page boundary.
    size_t reserved = length + HugePage;
    void* raw = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    uintptr_t aligned = RoundUp(start, HugePage);
    if (aligned > start) munmap(raw, aligned - start);
    if (size_t tail = start + reserved - (aligned + length)) munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* mapping = reinterpret_cast<void*>(aligned);
    madvise(mapping, length, MADV_HUGEPAGE);
    BlockHeader* header = static_cast<BlockHeader*>(mapping);
    header->mappedLength = length;
    header->mapping = mapping;
    return header + 1;
}

void* AllocateBlock(size_t size)
{
    if (size >= LargeBlock && size < SIZE_MAX / 2)
        if (void* block = MapLargeBlock(size)) return block;
    if (size > SIZE_MAX - sizeof(BlockHeader)) std::abort();
    BlockHeader* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (!header) std::abort(); // out of memory: the game has no way on
    header->mappedLength = 0;
    header->mapping = header;
    return header + 1;
}

void FreeBlock(void* block)
{
    if (!block) return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->mappedLength) munmap(header->mapping, header->mappedLength);
    else std::free(header);
}

} // namespace

void* operator new(size_t size)
{
    return AllocateBlock(size);
}

void* operator new[](size_t size)
{
    return AllocateBlock(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return AllocateBlock(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return AllocateBlock(size);
}

void operator delete(void* block) noexcept
{
    FreeBlock(block);
}

void operator delete[](void* block) noexcept
{
    FreeBlock(block);
}

void operator delete(void* block, size_t) noexcept
{
    FreeBlock(block);
}

void operator delete[](void* block, size_t) noexcept
{
    FreeBlock(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    FreeBlock(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    FreeBlock(block);
}
