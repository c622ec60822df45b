// Large blocks for the reader's working arrays and the file's text.
//
// A reader fills hundreds of megabytes of fresh memory in a fraction of a second, so
// the first touch of each page costs more than the parsing itself. On Linux large
// blocks are therefore mapped directly and marked for transparent huge pages, which
// cuts the page faults about 500-fold, and they grow in place with mremap; elsewhere
// they are ordinary heap blocks.
#pragma once

#include <cstddef>

namespace hbx {

// Large blocks fill whole huge pages best: a size that is a multiple of this.
constexpr size_t kBlockGrain = size_t{2} << 20;

// A block of at least `bytes` bytes, or nullptr. Freed with FreeBlock(p, bytes).
void* AllocateBlock(size_t bytes);
// Grows or shrinks a block from AllocateBlock (or nullptr with oldBytes 0), keeping
// its contents; nullptr when there is no memory, the old block then unchanged.
void* ResizeBlock(void* p, size_t oldBytes, size_t newBytes);
void FreeBlock(void* p, size_t bytes);
// Asks for huge pages for the block [p, p + bytes); for
// memory that comes from elsewhere (the meshes' arrays), before it is first touched.
void AdviseHugePages(void* p, size_t bytes);

}  // namespace hbx
