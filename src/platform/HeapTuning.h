#pragma once

namespace platform {

// Blocks from 128 KiB on go straight back to the system when freed. Lists of
// a million hosts pass through several threads in such blocks, and each
// thread's heap would otherwise keep what it once held for the life of a
// program that runs for weeks. Call once, at start.
void returnLargeBlocksToTheSystem();

} // namespace platform
