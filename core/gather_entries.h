#pragma once
// Copying entries into a new order: the step of every reordering of a list that moves the
// entries themselves (a column click on a million results moves 64 MB), and the one bound by
// memory, not by the processor.

#include <cstdint>
#include <span>

#include "core/entry.h"

namespace quillory {

// to[k] = from[order[k]] for every k below order.size(). Every order[k] must lie below
// from.size() and `to` must hold order.size() entries that do not overlap `from` (neither is
// checked). The reads jump around, so they are requested ahead of use; a long list is written
// past the caches (its new order is read back only a screenful at a time, and would otherwise
// push the order and the ranks out of them) and split between two threads.
void GatherEntries(std::span<const TMyItem> from, std::span<const uint32_t> order, TMyItem* to);

}  // namespace quillory
