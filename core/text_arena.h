#pragma once
// Stable storage for the many small texts of a catalogue (names, folder paths). Texts are
// packed into large chunks that never move, so a stored text keeps its address until the
// arena is rewound or destroyed. Rewinding keeps the chunks for the next fill: refilling a
// catalogue of the same size allocates nothing.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quillory {

class TextArena {
  public:
    static constexpr size_t kFirstChunkSize = size_t{64} << 10;
    static constexpr size_t kChunkSize = size_t{2} << 20;  // chunks grow to this size

    TextArena() = default;
    TextArena(TextArena&&) noexcept = default;
    TextArena& operator=(TextArena&&) noexcept = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // Copies `text` in and returns where it now lives.
    const char* Store(std::string_view text);
    // The same, with one NUL byte after the text (also for an empty text). Texts stored this
    // way one after another lie back to back in a chunk until it is full.
    const char* StoreTerminated(std::string_view text);

    // Forgets every stored text; the chunks stay allocated for reuse.
    void Rewind();

    size_t BytesAllocated() const;

  private:
    // `size` bytes of the current chunk (or of a new one when they do not fit).
    char* Place(size_t size);

    struct Chunk {
        std::unique_ptr<char[]> data;
        size_t size;
    };
    std::vector<Chunk> chunks_;
    size_t current_ = 0;  // index of the chunk being filled
    size_t used_ = 0;     // bytes used in that chunk
};

}  // namespace quillory
