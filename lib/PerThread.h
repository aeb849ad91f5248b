#pragma once
// Storage for a cache kept by each thread, so callers on several threads need no lock.
// The browser build runs one thread, and built for bulk memory (memset and memcpy as single
// instructions) it cannot link thread-local storage without wasm threads: a plain static
// there is the same thing.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define VEXA_PER_THREAD static
#else
#define VEXA_PER_THREAD thread_local
#endif
