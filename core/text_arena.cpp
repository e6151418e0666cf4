#include "core/text_arena.h"

#include <algorithm>
#include <cstring>

namespace quillory {

const char* TextArena::Store(std::string_view text) {
    if (text.empty()) return "";
    char* place = Place(text.size());
    std::memcpy(place, text.data(), text.size());
    return place;
}

const char* TextArena::StoreTerminated(std::string_view text) {
    char* place = Place(text.size() + 1);
    std::memcpy(place, text.data(), text.size());
    place[text.size()] = '\0';
    return place;
}

char* TextArena::Place(size_t size) {
    while (current_ < chunks_.size() && used_ + size > chunks_[current_].size) {
        ++current_;
        used_ = 0;
    }
    if (current_ == chunks_.size()) {
        // Small lists (a handful of results) stay small; big ones get full chunks.
        const size_t grown = std::clamp(BytesAllocated(), kFirstChunkSize, kChunkSize);
        const size_t chunkSize = std::max(size, grown);
        chunks_.push_back({std::unique_ptr<char[]>(new char[chunkSize]), chunkSize});
        used_ = 0;
    }
    char* place = chunks_[current_].data.get() + used_;
    used_ += size;
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
