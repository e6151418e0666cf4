#pragma once
// Finding a byte string in a large buffer quickly: 32 positions at a time (16 on processors
// without the wider instructions) are tested for the needle's first and last byte, and only
// those that pass both are compared in full.

#include <cstddef>
#include <string_view>

namespace quillory {

// The first occurrence of `needle` in [data, data + size), or nullptr. An empty needle is
// found at `data`.
const char* FindBytes(const char* data, size_t size, std::string_view needle);

// For tests: whether the scans may use the 32-byte instructions where the processor has them
// (on by default); off, they take the 16-byte path that every x86-64 processor has.
void AllowWideScan(bool allow);
// Whether the processor has the 32-byte instructions (AVX2 with POPCNT) and they are allowed.
bool WideScanAvailable();

}  // namespace quillory
