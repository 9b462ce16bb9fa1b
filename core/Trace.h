#pragma once

// Diagnostic lines of the engine (queue levels, folder listings, time-search
// steps) reach standard output only while tracing is on: KORVEL_TRACE=1 in
// the environment, or a tool's --verbose. Off by default, since a desktop
// session sends standard output to the system journal.
//
// Threading: traceEnabled() may be called from any thread at any time.
// setTraceEnabled() is for a program's start, before engine threads run.

#include <ostream>

namespace korvel {

bool traceEnabled();
void setTraceEnabled(bool on);

// Where diagnostic lines go: std::cout while tracing is on, else null (the
// caller then formats nothing).
std::ostream* traceStream();

}  // namespace korvel
