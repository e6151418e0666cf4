#pragma once
// The attribute bits of an item, in the values the catalogue stores them (the listing fills
// them, the database keeps them, the attribute column shows them).

#include <cstdint>

namespace quillory {

inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
inline constexpr uint32_t kAttrTemporary = 0x100;
inline constexpr uint32_t kAttrReparsePoint = 0x400;
inline constexpr uint32_t kAttrCompressed = 0x800;
inline constexpr uint32_t kAttrOffline = 0x1000;

}  // namespace quillory
