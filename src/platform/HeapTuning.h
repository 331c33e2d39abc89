#pragma once

namespace platform {

// The threads share two heaps rather than one each. Lists of a million hosts
// pass between several threads, and each heap keeps the most it once held
// for the life of a program that runs for weeks. Call once, at start, before
// any thread.
void shareHeapsAmongThreads();

} // namespace platform
