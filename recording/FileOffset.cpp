#include "recording/FileOffset.h"

#include <sys/types.h>

static_assert(sizeof(off_t) >= 8, "file offsets must be 64 bits wide");

namespace fileoffset {

bool seek(std::FILE* f, std::int64_t offset, int origin) {
    return f != nullptr && ::fseeko(f, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t tell(std::FILE* f) {
    return f != nullptr ? static_cast<std::int64_t>(::ftello(f)) : -1;
}

}  // namespace fileoffset
