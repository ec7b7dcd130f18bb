#include "platform/LargeBuffer.h"

#include <cstdint>
#include <sys/mman.h>

namespace dosarium {

void preferLargePages(void *data, qsizetype size)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kPage = 4096;
    constexpr qsizetype kWorthIt = 4 << 20;
    if (!data || size < kWorthIt)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + uintptr_t(size)) & ~(kPage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE); // only advice
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace dosarium
