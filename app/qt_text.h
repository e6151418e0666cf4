#pragma once
// Names and paths are byte strings in the engine and Qt strings in the window. Text shown in
// the window is decoded as UTF-8 (a byte that is not valid UTF-8 shows as a replacement
// character; the engine's bytes themselves never pass through this conversion and back).

#include <QString>
#include <string>
#include <string_view>

namespace quillory::app {

inline QString FromBytes(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToBytes(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace quillory::app
