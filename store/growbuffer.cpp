#include "store/growbuffer.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace growbuffer {

namespace {
std::size_t pageRounded(std::size_t bytes) {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}
} // namespace

void *grow(void *old, std::size_t oldBytes, std::size_t used, std::size_t *bytes, bool *mapped) {
    if (*bytes < MappedBytes) {
        void *data = std::realloc(old, *bytes);
        if (!data) throw std::bad_alloc();
        return data;
    }
    *bytes = pageRounded(*bytes);
    void *data = *mapped ? mremap(old, oldBytes, *bytes, MREMAP_MAYMOVE)
                         : mmap(nullptr, *bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED) throw std::bad_alloc();
    madvise(data, *bytes, MADV_HUGEPAGE);
    // The new pages are about to be written; one call maps them all instead of one fault per page
    // (on a virtual machine each fault is a trip through the hypervisor). Kernels before 5.14 do not
    // know the advice and fault them in as before.
    const std::size_t kept = pageRounded(*mapped ? oldBytes : 0);
    if (*bytes > kept) madvise(static_cast<char *>(data) + kept, *bytes - kept, MADV_POPULATE_WRITE);
    if (!*mapped) {
        if (used) std::memcpy(data, old, used);
        std::free(old);
        *mapped = true;
    }
    return data;
}

void release(void *data, std::size_t bytes, bool mapped) {
    if (!data) return;
    if (mapped)
        munmap(data, bytes);
    else
        std::free(data);
}

} // namespace growbuffer
