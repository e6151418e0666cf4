#include "search/match_ranges.h"

#include <gtest/gtest.h>

#include <string>

#include "search/query_parser.h"

namespace quillory {
namespace {

// The ranges as the subject with each range in brackets: "[rep]ort.txt".
std::string Marked(const char* query, const char* subject, bool wholeWords = false,
                   bool caseSensitive = false) {
    TSearchOptions options;
    options.WholeWords = wholeWords;
    options.CaseSensitive = caseSensitive;
    TWordList words;
    ParseQuery(query, caseSensitive, false, words);
    std::string marked = subject;
    const std::vector<ByteRange> ranges = MatchRanges(subject, words, options);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
        marked.insert(range->end, "]");
        marked.insert(range->begin, "[");
    }
    return marked;
}

TEST(MatchRanges, TheMatchingPartsOfEachKindOfTerm) {
    const struct {
        const char* query;
        const char* subject;
        bool wholeWords;
        bool caseSensitive;
        const char* marked;
    } rows[] = {
        {"port", "Report port.txt", false, false, "Re[port] [port].txt"},
        {"port", "Report port.txt", true, false, "Report [port].txt"},
        {"PORT", "Report port.txt", false, true, "Report port.txt"},  // no match: nothing
        {"*.mp3", "song.mp3", false, false, "song[.mp3]"},
        {"a*b?d*z", "axxbcdyyz", false, false, "[a]xx[b]c[d]yy[z]"},
        {"readme.txt", "README.TXT", false, false, "[README.TXT]"},
        {"*.*", "Makefile", false, false, "Makefile"},  // the dot was appended: no run shown
        {"report invoice", "invoice 3", false, false, "[invoice] 3"},
        {"report +\"2024\"", "report 2024", false, false, "[report] [2024]"},
        {"report -\"draft\"", "report", false, false, "[report]"},
        {"report -\"draft\"", "report draft", false, false, "report draft"},
        {"ab abc", "xabcx", false, false, "x[abc]x"},  // overlapping ranges join
        {"\xC3\xA4", "b\xC3\xA4r \xC3\x84", false, false, "b[\xC3\xA4]r [\xC3\x84]"},
        {"i", "\xC4\xB1i", false, false, "\xC4\xB1i"},  // upper-casing shortens it: nothing
        {"", "anything", false, false, "anything"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Marked(row.query, row.subject, row.wholeWords, row.caseSensitive), row.marked)
            << row.query << " in " << row.subject;
    }
}

}  // namespace
}  // namespace quillory
