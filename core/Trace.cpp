#include "core/Trace.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace korvel {

namespace {

std::atomic<int>& traceFlag() {
    // Read from the environment once, on first use.
    static std::atomic<int> flag{[] {
        const char* value = std::getenv("KORVEL_TRACE");
        return value != nullptr && std::strcmp(value, "1") == 0 ? 1 : 0;
    }()};
    return flag;
}

}  // namespace

bool traceEnabled() {
    return traceFlag().load(std::memory_order_relaxed) != 0;
}

void setTraceEnabled(bool on) {
    traceFlag().store(on ? 1 : 0, std::memory_order_relaxed);
}

std::ostream* traceStream() {
    return traceEnabled() ? &std::cout : nullptr;
}

}  // namespace korvel
