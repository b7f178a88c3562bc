#include "cli/Cli.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A sync of a large file takes some tens of megabytes in many pieces: the table of lines, the
// subtitles' texts, the timing arrays. Handed out by the kernel a page at a time, as a heap
// usually is, every 4 KiB costs a page fault, and on a virtual machine those cost more than
// the work itself. So the heap grows ahead in one step and keeps large pieces too (rather than
// mapping each one on its own); the part of it that fills whole 2 MiB pages is backed by huge
// pages where the kernel allows, and the part before that is filled in at once. All of it is
// advice: where any of it is refused (or another allocator serves malloc) nothing else changes.
void PrepareHeap() {
    constexpr std::size_t kAhead = 64 << 20, kHugePage = 2 << 20;
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the largest glibc takes
    mallopt(M_TOP_PAD, kAhead);
    mallopt(M_TRIM_THRESHOLD, 2 * kAhead);
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile probe = std::malloc(1 << 20); // volatile: the pair is not optimised away
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::free(probe);
    if (before == static_cast<std::uintptr_t>(-1) || after < before + kAhead)
        return; // the heap did not grow here
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = before & ~(page - 1);
    const std::uintptr_t huge = (before + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = after & ~(kHugePage - 1);
    madvise(reinterpret_cast<void*>(huge), end - huge, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(reinterpret_cast<void*>(first), huge - first, MADV_POPULATE_WRITE);
#endif
}

} // namespace

int main(int argc, char** argv) {
    PrepareHeap();
    std::ios::sync_with_stdio(false);
    return velkar::cli::Run(argc, argv, std::cout, std::cerr);
}
