// The fast search (name cache or names cased on the fly, literal prefilter, folder-level
// results) against a plain per-entry reading of the matching rules on
// code-point sequences.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/database.h"
#include "platform/locale_formats.h"
#include "tests/support/temp_dir.h"

#include "catalogue_builder.h"
#include "platform/text.h"
#include "search/ascii_scan.h"
#include "search/match_collector.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_driver.h"

namespace quillory {
namespace {

// A text as characters: code points, and 0x200000 + byte for a byte that is not valid UTF-8.
using Chars = std::vector<int32_t>;

Chars Decode(std::string_view s) {
    Chars chars;
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        const text::CodePoint cp = text::DecodeCodePoint(p, end);
        chars.push_back(cp.value >= 0 ? cp.value : 0x200000 + static_cast<unsigned char>(*p));
        p += cp.length;
    }
    return chars;
}

bool RefDelimiter(int32_t c) {
    if (c >= 0x200000) return true;
    if (c >= '0' && c <= '9') return false;
    return text::UpperCodePoint(static_cast<char32_t>(c)) == text::LowerCodePoint(static_cast<char32_t>(c));
}

bool EqualAt(const Chars& text, size_t p, const Chars& term) {
    if (p + term.size() > text.size()) return false;
    return std::equal(term.begin(), term.end(), text.begin() + static_cast<std::ptrdiff_t>(p));
}

// 0-based position of the first occurrence, or -1.
long RefFind(const Chars& text, const Chars& term) {
    if (term.size() > text.size()) return -1;
    for (size_t p = 0; p + term.size() <= text.size(); ++p) {
        if (EqualAt(text, p, term)) return static_cast<long>(p);
    }
    return -1;
}

bool RefWholeWord(const Chars& term, const Chars& text) {
    for (size_t p = 0; p + term.size() <= text.size(); ++p) {
        if (EqualAt(text, p, term) && (p == 0 || RefDelimiter(text[p - 1])) &&
            (p + term.size() >= text.size() || RefDelimiter(text[p + term.size()]))) {
            return true;
        }
    }
    return false;
}

bool RefPatternTerm(const Chars& term) {
    long dot = -1;
    for (size_t i = 0; i < term.size(); ++i) {
        if (term[i] == '*' || term[i] == '?') return true;
        if (term[i] == '.' && dot < 0) dot = static_cast<long>(i);
    }
    return dot > 0 && static_cast<size_t>(dot) + 1 < term.size();
}

bool RefWildcard(const Chars& subject, const Chars& pattern) {
    Chars rest = subject;
    const bool patternDot = std::find(pattern.begin(), pattern.end(), '.') != pattern.end();
    const bool subjectDot = std::find(subject.begin(), subject.end(), '.') != subject.end();
    if (patternDot && !subjectDot) rest.push_back('.');
    Chars pending;
    bool afterStar = false;
    for (const int32_t c : pattern) {
        if (rest.empty()) return false;
        if ((c == '*' || c == '?') && !pending.empty()) {
            const long pos = RefFind(rest, pending);
            if (pos < 0) return false;
            if (!afterStar && pos != 0) return false;
            rest.erase(rest.begin(), rest.begin() + pos + static_cast<long>(pending.size()));
            pending.clear();
            afterStar = false;
        }
        if (c == '?') {
            if (!rest.empty()) rest.erase(rest.begin());
        } else if (c == '*') {
            afterStar = true;
        } else {
            pending.push_back(c);
        }
    }
    if (pending.empty()) return true;
    if (pending.size() > rest.size()) return false;
    if (!afterStar) return rest == pending;
    return std::equal(pending.begin(), pending.end(), rest.end() - static_cast<long>(pending.size()));
}

bool RefMatches(std::string_view subjectBytes, const TWordList& words, const TSearchOptions& options) {
    if (words.TermCount == 0) return true;
    const Chars subject =
        Decode(options.CaseSensitive ? std::string(subjectBytes) : text::UpperCase(subjectBytes));
    bool accumulator = false;
    for (size_t i = 0; i < words.TermCount; ++i) {
        const Chars term = Decode(words.Terms[i]);
        EXPECT_EQ(RefPatternTerm(term), words.PatternFlags[i]) << words.Terms[i];
        bool m;
        if (RefPatternTerm(term)) {
            m = RefWildcard(subject, term);
        } else if (options.WholeWords) {
            m = RefWholeWord(term, subject);
        } else {
            m = RefFind(subject, term) >= 0;
        }
        if (words.AnyTermMode) {
            if (m) return true;
            continue;
        }
        const TTermOperator op = words.Operators[i];
        if (i == 0) {
            accumulator = op == TTermOperator::opAndNot ? !m : m;
        } else if (op == TTermOperator::opOr) {
            accumulator = accumulator || m;
        } else if (op == TTermOperator::opAnd) {
            accumulator = accumulator && m;
        } else {
            accumulator = accumulator && !m;
        }
    }
    return words.AnyTermMode ? false : accumulator;
}

std::vector<std::string> RefSearch(const EntryList& catalogue, const TWordList& words,
                                   const TSearchOptions& options, size_t limit) {
    std::vector<std::string> found;
    for (const TMyItem& entry : catalogue.Entries()) {
        const bool isFolder = entry.Ext() == "Folder";
        if (isFolder ? !options.FindFolders : !options.FindFiles) continue;
        const std::string subject = options.FullPath ? EntryFullPath(entry) : std::string(entry.Name());
        if (!RefMatches(subject, words, options)) continue;
        found.push_back(EntryFullPath(entry));
        if (found.size() >= limit) break;
    }
    return found;
}

// Small alphabets so that terms and names meet often; cased and uncased letters, ß, Turkish
// dotted and dotless i, digits, word delimiters and bytes that are not valid UTF-8.
const std::vector<std::string> kPieces = {"a",      "b",
                                          "ab",     "A",
                                          "B",      "c",
                                          "x",      "Ab",
                                          "ä",      "Ä",
                                          "é",      "É",
                                          "ß",      "ı",
                                          "İ",      "i",
                                          "I",      "1",
                                          "0",      " ",
                                          "_",      "-",
                                          ".",      ".",
                                          "mp3",    "MP3",
                                          "txt",    "\xff",
                                          "\xc3",   "\xa4",
                                          "€",      "日",
                                          "Folder", "ſ",
                                          "s",      "S",
                                          "k",      "\xe2\x84\xaa",
                                          "K"};
const std::vector<std::string> kTermPieces = {"a", "b", "ab", "ä", "Ä", "é", "ß",   "i",           "ı",
                                              "1", ".", ".",  "*", "*", "?", "mp3", "\xa4",        "\xc3",
                                              "€", " ", "x",  "A", "s", "ſ", "k",   "\xe2\x84\xaa"};

std::string RandomText(std::mt19937& rng, const std::vector<std::string>& pieces, int maxPieces) {
    std::uniform_int_distribution<int> count(1, maxPieces);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::string s;
    for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
    return s;
}

std::string RandomQuery(std::mt19937& rng) {
    std::uniform_int_distribution<int> terms(0, 4);
    std::uniform_int_distribution<int> kind(0, 9);
    std::string query;
    for (int n = terms(rng); n > 0; --n) {
        std::string term = RandomText(rng, kTermPieces, 3);
        const int k = kind(rng);
        if (k == 0) {
            query += "+\"" + term + "\"";
        } else if (k == 1) {
            query += "-\"" + term + "\"";
        } else if (k == 2) {
            query += "\"" + term + "\"";
        } else {
            std::erase(term, ' ');
            query += term;
        }
        query += kind(rng) < 8 ? " " : ",";
    }
    return query;
}

EntryList RandomCatalogue(std::mt19937& rng, size_t count) {
    const std::vector<std::string> folders = {"/", "/Music/",  "/home/ab/",     "/data/ä b/", "/x/\xc3/",
                                              "",  "/odd\xc3", "/MP3s.Folder/", "/İi/ı/"};
    std::uniform_int_distribution<size_t> folderPick(0, folders.size() - 1);
    std::uniform_int_distribution<int> runLength(1, 40);
    std::uniform_int_distribution<int> percent(0, 99);
    EntryList catalogue;
    while (catalogue.Count() < count) {
        const std::string& folder = folders[folderPick(rng)];
        for (int n = runLength(rng); n > 0 && catalogue.Count() < count; --n) {
            std::string name = RandomText(rng, kPieces, 6);
            // "/odd\xc3" has no final separator: a name that starts with a continuation byte
            // completes its last character only in the full path.
            if (percent(rng) < 10) name = "\xa4" + name;
            test::AddEntry(catalogue, folder, name, percent(rng) < 15);
        }
    }
    return catalogue;
}

TEST(SearchDifferential, FastSearchEqualsPlainReading) {
    std::mt19937 rng(20261208);
    Catalogue owned;
    owned.Entries = RandomCatalogue(rng, 3000);
    const EntryList& catalogue = owned.Entries;
    TSearchDriver cached;
    TSearchDriver streaming;
    EntryList results;
    std::uniform_int_distribution<int> flag(0, 1);
    std::uniform_int_distribution<int> limitPick(0, 3);
    size_t nonEmpty = 0;
    for (int q = 0; q < 400; ++q) {
        const std::string query = RandomQuery(rng);
        TSearchOptions options;
        options.CaseSensitive = flag(rng) != 0;
        options.WholeWords = flag(rng) != 0;
        options.FullPath = flag(rng) != 0;
        const int filter = limitPick(rng);
        options.FindFolders = filter != 1;
        options.FindFiles = filter != 2;
        const size_t limit = limitPick(rng) == 0 ? 25 : 100000;
        cached.Search(owned, query, options, static_cast<int64_t>(limit), results);
        const auto expected = RefSearch(catalogue, cached.Words(), options, limit);
        ASSERT_EQ(test::FullPaths(results), expected)
            << "cached: query '" << query << "' case " << options.CaseSensitive << " words "
            << options.WholeWords << " full " << options.FullPath << " limit " << limit;
        streaming.Search(catalogue, query, options, static_cast<int64_t>(limit), results);
        ASSERT_EQ(test::FullPaths(results), expected)
            << "streaming: query '" << query << "' case " << options.CaseSensitive << " words "
            << options.WholeWords << " full " << options.FullPath << " limit " << limit;
        if (!expected.empty() && expected.size() < catalogue.Count()) ++nonEmpty;
    }
    EXPECT_GT(nonEmpty, 100u);  // the queries really select
}

// Names of ASCII words in any case mixed with the characters that upper-case into ASCII (long
// s, dotless i), the Kelvin sign that does not, ß, dotted I, other letters and invalid bytes;
// long enough that the scans work in whole 16-byte blocks.
const std::vector<std::string> kWordPieces = {
    "report",    "Report", "REPORT", "rEpOrT", "repo", "rt",   "quarterly",
    "QUARTERLY", "data",   "Data",   "ſ",      "ı",    "İ",    "\xe2\x84\xaa",
    "ß",         "ss",     "SS",     "é",      "É",    "\xff", "\xc4",
    "\xb1",      "_",      " ",      ".",      "mp3",  "MP3",  "k",
    "s",         "x",      "0",      "/"};
const std::vector<std::string> kWordQueries = {"report",
                                               "REPORT",
                                               "quarterly",
                                               "data",
                                               "repo",
                                               "ss",
                                               "s",
                                               "k",
                                               "ſ",
                                               "ı",
                                               "ß",
                                               "\xe2\x84\xaa",
                                               "é",
                                               "\xff",
                                               "*.mp3",
                                               "report*",
                                               "?eport*",
                                               "re*rt",
                                               "repo.mp3",
                                               "report +data",
                                               "report -\"data\"",
                                               "quarterly,report",
                                               "+\"ss\" -\"ß\"",
                                               "rt_",
                                               "\"report data\"",
                                               "x",
                                               "/",
                                               "*rt",
                                               "rep*",
                                               "*ss",
                                               "ß*",
                                               "*\xe2\x84\xaa",
                                               "*\xff",
                                               "*.",
                                               "*report.",
                                               "data.*",
                                               "*.mp3.",
                                               "mp3.*"};

EntryList WordCatalogue(std::mt19937& rng, size_t count) {
    const std::vector<std::string> folders = {"/", "/Report/", "/data/ſ/", "/ı/", "", "/odd\xc3", "/x/Data."};
    std::uniform_int_distribution<size_t> folderPick(0, folders.size() - 1);
    std::uniform_int_distribution<size_t> piecePick(0, kWordPieces.size() - 1);
    std::uniform_int_distribution<int> pieceCount(1, 9);
    std::uniform_int_distribution<int> runLength(1, 30);
    std::uniform_int_distribution<int> percent(0, 99);
    EntryList catalogue;
    while (catalogue.Count() < count) {
        const std::string& folder = folders[folderPick(rng)];
        for (int n = runLength(rng); n > 0 && catalogue.Count() < count; --n) {
            std::string name;
            for (int p = pieceCount(rng); p > 0; --p) name += kWordPieces[piecePick(rng)];
            test::AddEntry(catalogue, folder, name, percent(rng) < 15);
        }
    }
    return catalogue;
}

// The one-pass paths (the scan over raw names, with or without a catalogue in memory, and the
// search of a database file as it is read) against the plain reading and the cached search.
TEST(SearchDifferential, OnePassScanEqualsPlainReading) {
    std::mt19937 rng(31337);
    test::TempDir dir;
    const ActivityLog log(dir / "q.log", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    const std::string file = dir / "words.qdb";
    {
        const EntryList written = WordCatalogue(rng, 4000);
        SaveDatabase(written, TProgramOptions{"/\r\n"}, file, log);
    }
    // The file's catalogue as a load gives it (an empty folder text reads as the previous one).
    Catalogue owned;
    TProgramOptions loadedOptions{std::string()};
    LoadDatabase(owned.Entries, loadedOptions, file, log);
    const EntryList& catalogue = owned.Entries;

    TSearchDriver cached;
    TSearchDriver streaming;
    TSearchDriver fromFile;
    EntryList results;
    size_t selective = 0;
    for (const std::string& query : kWordQueries) {
        for (int variant = 0; variant < 12; ++variant) {
            TSearchOptions options;
            options.CaseSensitive = variant % 4 == 3;
            options.WholeWords = variant % 3 == 1;
            options.FullPath = variant % 6 == 5;
            options.FindFolders = variant != 4;
            options.FindFiles = variant != 2;
            const size_t limit = variant % 5 == 0 ? 7 : 100000;
            const auto limit64 = static_cast<int64_t>(limit);
            const std::string what = "query '" + query + "' case " + std::to_string(options.CaseSensitive) +
                                     " words " + std::to_string(options.WholeWords) + " full " +
                                     std::to_string(options.FullPath) + " limit " + std::to_string(limit);

            cached.Search(owned, query, options, limit64, results);
            const auto expected = RefSearch(catalogue, cached.Words(), options, limit);
            ASSERT_EQ(test::FullPaths(results), expected) << "cached: " << what;
            streaming.Search(catalogue, query, options, limit64, results);
            ASSERT_EQ(test::FullPaths(results), expected) << "streaming: " << what;

            TProgramOptions headerFields{std::string()};
            fromFile.SearchDatabase(file, log, query, options, limit64, results, headerFields);
            ASSERT_EQ(test::FullPaths(results), expected) << "from the file: " << what;
            EXPECT_EQ(fromFile.StatusText().substr(0, 4), "OK! ");
            EXPECT_EQ(headerFields.IncludedFolders, "/\r\n");
            // The copies carry every value of the record, and nothing of a slot's old use.
            for (size_t i = 0; i < results.Count(); ++i) {
                EXPECT_EQ(results[i].Size, static_cast<int64_t>(results[i].Name().size()));
                EXPECT_EQ(results[i].Modified, 40000.5);
                EXPECT_EQ(results[i].IconIndex, -1);
                EXPECT_FALSE(results[i].Selected);
            }
            if (!expected.empty() && expected.size() < 500) ++selective;
        }
    }
    EXPECT_GT(selective, 60u);  // the queries really select
}

// Full-path questions that name part of a path: texts holding "/" that lie in a folder, begin
// in a folder and end in a name, or (in a catalogue read from elsewhere) lie in a name that
// holds "/" itself; every way of searching against the plain reading.
// Searched in a catalogue whose names never hold "/" (as a walk finds them) and in one where
// some do.
void ExpectFullPathTextsEqualPlainReading(bool slashInNames) {
    std::mt19937 rng(4242);
    test::TempDir dir;
    const ActivityLog log(dir / "q.log", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    const std::string file = dir / "paths.qdb";
    {
        EntryList written = RandomCatalogue(rng, 3000);
        for (const char* name : {"ab/", "b/ab", "x/\xc3", "/", "home/ab/Ab", "İi/ı"}) {
            if (!slashInNames) continue;
            test::AddEntry(written, "/home/", name, false);
            test::AddEntry(written, "", name, false);
        }
        SaveDatabase(written, TProgramOptions{"/\r\n"}, file, log);
    }
    Catalogue owned;
    TProgramOptions loadedOptions{std::string()};
    LoadDatabase(owned.Entries, loadedOptions, file, log);
    const EntryList& catalogue = owned.Entries;

    const std::vector<std::string> queries = {"ab/",
                                              "/ab",
                                              "home/ab/a",
                                              "/home/",
                                              "b/a",
                                              "/x/\xc3/",
                                              "ı/a",
                                              "İi/",
                                              "i/ı/",
                                              "music/",
                                              "Music/A*",
                                              "*/ab*",
                                              "s.folder/",
                                              "\xc3/a",
                                              "/odd\xc3"
                                              "a",
                                              "/",
                                              "//",
                                              "b/ab +\"/\"",
                                              "ab/ -\"home\"",
                                              "a/,/a",
                                              "\"ä b/\"",
                                              "/data/ä",
                                              "ta/Ä B/ab",
                                              "mp3s.FOLDER/mp3"};
    TSearchDriver cached;
    TSearchDriver streaming;
    TSearchDriver fromFile;
    EntryList results;
    size_t selective = 0;
    for (const std::string& query : queries) {
        for (int variant = 0; variant < 6; ++variant) {
            TSearchOptions options;
            options.FullPath = true;
            options.CaseSensitive = variant % 2 == 1;
            options.WholeWords = variant >= 4;
            options.FindFolders = variant != 2;
            const size_t limit = variant == 3 ? 5 : 100000;
            const auto limit64 = static_cast<int64_t>(limit);
            const std::string what = "query '" + query + "' case " + std::to_string(options.CaseSensitive) +
                                     " words " + std::to_string(options.WholeWords) + " limit " +
                                     std::to_string(limit);
            cached.Search(owned, query, options, limit64, results);
            const auto expected = RefSearch(catalogue, cached.Words(), options, limit);
            ASSERT_EQ(test::FullPaths(results), expected) << "cached: " << what << " slash " << slashInNames;
            streaming.Search(catalogue, query, options, limit64, results);
            ASSERT_EQ(test::FullPaths(results), expected)
                << "streaming: " << what << " slash " << slashInNames;
            TProgramOptions headerFields{std::string()};
            fromFile.SearchDatabase(file, log, query, options, limit64, results, headerFields);
            ASSERT_EQ(test::FullPaths(results), expected)
                << "from the file: " << what << " slash " << slashInNames;
            if (!expected.empty() && expected.size() < 300) ++selective;
        }
    }
    EXPECT_GT(selective, 40u);  // the queries really select
}

TEST(SearchDifferential, FullPathTextsWithSeparatorsEqualPlainReading) {
    ExpectFullPathTextsEqualPlainReading(false);
    ExpectFullPathTextsEqualPlainReading(true);
}

// A copy of `source`'s entries, in their order.
EntryList CopyOf(const EntryList& source) {
    EntryList copy;
    for (const TMyItem& entry : source.Entries()) copy.AppendCopy(entry);
    return copy;
}

// The one-pass scan of the names where the catalogue stores them, against the plain reading:
// enough names to fill several chunks of the text store (a name that does not fit starts the
// next one), both widths of the block scan, and lists whose names are not back to back in entry order
// (reordered, shortened and refilled) or that hold a NUL byte inside a name.
TEST(SearchDifferential, OnePassScanOfStoredNamesEqualsPlainReading) {
    std::mt19937 rng(8128);
    const EntryList catalogue = WordCatalogue(rng, 9000);
    std::vector<EntryList::NameStretch> stretches;
    ASSERT_TRUE(catalogue.NameStretches(0, catalogue.Count(), stretches));
    ASSERT_GE(stretches.size(), 3u);
    size_t entry = 0;
    for (const EntryList::NameStretch& stretch : stretches) {
        ASSERT_EQ(stretch.firstEntry, entry);
        ASSERT_EQ(stretch.bytes.data(), catalogue[entry].Name().data());
        entry += static_cast<size_t>(std::count(stretch.bytes.begin(), stretch.bytes.end(), '\0'));
    }
    ASSERT_EQ(entry, catalogue.Count());

    EntryList reordered = CopyOf(catalogue);
    const std::span<TMyItem> entries = reordered.EditEntries();
    std::reverse(entries.begin(), entries.end());
    EXPECT_FALSE(reordered.NameStretches(0, reordered.Count(), stretches));
    EntryList refilled = CopyOf(catalogue);
    refilled.Truncate(5000);
    for (size_t i = 0; i < 3000; ++i) refilled.AppendCopy(catalogue[i]);
    EXPECT_FALSE(refilled.NameStretches(0, refilled.Count(), stretches));
    EntryList withNul = CopyOf(catalogue);
    for (const std::string_view name : {std::string_view("REPORT\0x", 8), std::string_view("\0data", 5),
                                        std::string_view("q\0uarterly", 10)}) {
        for (int n = 0; n < 3; ++n) test::AddEntry(withNul, "/n/", name, false);
        for (size_t i = 0; i < 2000; ++i) withNul.AppendCopy(catalogue[i]);
    }
    EXPECT_TRUE(withNul.NameStretches(0, withNul.Count(), stretches));

    const std::pair<const char*, const EntryList*> lists[] = {
        {"in order", &catalogue}, {"reordered", &reordered}, {"refilled", &refilled}, {"with NUL", &withNul}};
    TSearchDriver one;
    EntryList results;
    size_t selective = 0;
    for (const bool wide : {true, false}) {
        AllowWideScan(wide);
        for (const auto& [label, list] : lists) {
            for (const std::string& query : kWordQueries) {
                for (int variant = 0; variant < 3; ++variant) {
                    TSearchOptions options;
                    options.WholeWords = variant == 1;
                    options.FindFolders = variant != 2;
                    const size_t limit = variant == 2 ? 9 : 100000;
                    const std::string what = std::string(label) + (wide ? " wide" : " narrow") + ": query '" +
                                             query + "' variant " + std::to_string(variant);
                    one.Search(*list, query, options, static_cast<int64_t>(limit), results);
                    const auto expected = RefSearch(*list, one.Words(), options, limit);
                    ASSERT_EQ(test::FullPaths(results), expected) << what;
                    if (!expected.empty() && expected.size() < 1000) ++selective;
                }
            }
        }
    }
    AllowWideScan(true);
    EXPECT_GT(selective, 200u);  // the queries really select
}

TEST(SearchDifferential, MatcherEqualsPlainReadingOnSingleSubjects) {
    std::mt19937 rng(77);
    for (int q = 0; q < 3000; ++q) {
        const std::string subject = RandomText(rng, kPieces, 8);
        const std::string query = RandomQuery(rng);
        TSearchOptions options;
        options.CaseSensitive = q % 2 != 0;
        options.WholeWords = q % 3 == 0;
        TWordList words;
        ParseQuery(query, options.CaseSensitive, false, words);
        ASSERT_EQ(MatchesQuery(subject, words, options), RefMatches(subject, words, options))
            << "query '" << query << "' subject '" << subject << "'";
    }
}

}  // namespace
}  // namespace quillory
