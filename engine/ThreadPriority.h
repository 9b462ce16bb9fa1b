#pragma once

// Best-effort thread priorities for the engine's threads: decode workers and
// read threads run above normal, a site's clock thread at the highest level.
//
// Every function here is best effort: when the platform refuses (missing
// privilege, unsupported policy) the thread keeps its priority and nothing is
// reported. Priorities are only ever raised, never lowered.
//
// On Linux, threads of the normal scheduling policy differ only by their nice
// value, which is set per kernel thread id; a pthread handle does not reveal
// that id, so the handle versions can raise another thread only where the
// normal policy has a priority range (they do work when the handle is the
// calling thread's own). Threads that must be raised on Linux call the
// CurrentThread versions at the top of their body.
//
// Threading: each function may be called from any thread.

#include <thread>

void setThreadPriorityAboveNormal(std::thread& thread);
void setThreadPriorityHighest(std::thread& thread);

void setCurrentThreadPriorityAboveNormal();
void setCurrentThreadPriorityHighest();
