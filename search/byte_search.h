#pragma once
// Finding a byte string in a large buffer quickly: sixteen positions at a time are tested for
// the needle's first and last byte, and only those that pass both are compared in full.

#include <cstddef>
#include <string_view>

namespace quillory {

// The first occurrence of `needle` in [data, data + size), or nullptr. An empty needle is
// found at `data`.
const char* FindBytes(const char* data, size_t size, std::string_view needle);

}  // namespace quillory
