#include "core/text_arena.h"

#include <algorithm>
#include <cstring>

#include "core/large_block.h"

namespace quillory {

void TextArena::ChunkDeleter::operator()(char* p) const noexcept {
    FreeLargeBlock(p, size);
}

const char* TextArena::Store(std::string_view text) {
    if (text.empty()) return "";
    while (current_ < chunks_.size() && used_ + text.size() > chunks_[current_].size) {
        ++current_;
        used_ = 0;
    }
    if (current_ == chunks_.size()) {
        // Small lists (a handful of results) stay small; big ones get full, huge-page chunks.
        const size_t grown = std::clamp(BytesAllocated(), kFirstChunkSize, kChunkSize);
        const size_t size = std::max(text.size(), grown);
        chunks_.push_back({std::unique_ptr<char[], ChunkDeleter>(static_cast<char*>(AllocateLargeBlock(size)),
                                                                 ChunkDeleter{size}),
                           size});
        used_ = 0;
    }
    char* place = chunks_[current_].data.get() + used_;
    std::memcpy(place, text.data(), text.size());
    used_ += text.size();
    return place;
}

void TextArena::Rewind() {
    current_ = 0;
    used_ = 0;
}

size_t TextArena::BytesAllocated() const {
    size_t total = 0;
    for (const Chunk& c : chunks_) total += c.size;
    return total;
}

}  // namespace quillory
