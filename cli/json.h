#pragma once
// A small writer of one flat JSON object. Text is written as UTF-8 where it is valid; every
// byte that is not part of a valid sequence becomes \u00XX, so any name survives as text.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::cli {

// `text` as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

class JsonObjectWriter {
  public:
    explicit JsonObjectWriter(std::ostream& out) : out_(out) { out_ << '{'; }
    void String(std::string_view key, std::string_view value) { Raw(key, JsonString(value)); }
    void Bool(std::string_view key, bool value) { Raw(key, value ? "true" : "false"); }
    void Lines(std::string_view key, const std::vector<std::string>& lines);
    void Raw(std::string_view key, std::string_view json);
    void End() { out_ << "}\n"; }

  private:
    std::ostream& out_;
    bool first_ = true;
};

}  // namespace quillory::cli
