// quillory-cli info: the database header and the number of records actually read.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/cli.h"
#include "cli/json.h"
#include "core/database_header.h"
#include "core/text_lines.h"
#include "platform/date_time.h"

namespace quillory::cli {

namespace {

// Always a JSON number: a value that is none prints as 0.
std::string NumberText(double value) {
    if (!std::isfinite(value)) value = 0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The date and time a date-time value stands for (the values are local time already), or
// "never" for the 0 of a catalogue that was never rescanned.
std::string LocalTimeText(DateTime value) {
    if (value == 0 || !IsValidDateTime(value)) return "never";
    const DateTimeParts p = DecodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return text;
}

void PrintText(const Context& c, const TProgramOptions& o, size_t records) {
    for (const HeaderField& f : kHeaderFields) {
        c.out << f.name << ':';
        switch (f.kind) {
            case HeaderFieldKind::Text:
                c.out << ' ' << o.*f.text;
                break;
            case HeaderFieldKind::Lines:
                for (const std::string& line : SplitLines(o.*f.text)) c.out << "\n  " << line;
                break;
            case HeaderFieldKind::Flag:
                c.out << (o.*f.flag ? " true" : " false");
                break;
            case HeaderFieldKind::Seconds:
                c.out << ' ' << o.*f.seconds;
                break;
            case HeaderFieldKind::Time:
                c.out << ' ' << NumberText(o.*f.time);
                break;
        }
        c.out << '\n';
        // Readable beside the stored number, on a line of its own so that scripts reading
        // the stored lines find them as before.
        if (f.kind == HeaderFieldKind::Time) c.out << f.name << "Local: " << LocalTimeText(o.*f.time) << '\n';
    }
    c.out << "Records: " << records << '\n';
}

void PrintJson(const Context& c, const TProgramOptions& o, size_t records) {
    JsonObjectWriter json(c.out);
    for (const HeaderField& f : kHeaderFields) {
        switch (f.kind) {
            case HeaderFieldKind::Text:
                json.String(f.name, o.*f.text);
                break;
            case HeaderFieldKind::Lines:
                json.Lines(f.name, SplitLines(o.*f.text));
                break;
            case HeaderFieldKind::Flag:
                json.Bool(f.name, o.*f.flag);
                break;
            case HeaderFieldKind::Seconds:
                json.Raw(f.name, std::to_string(o.*f.seconds));
                break;
            case HeaderFieldKind::Time:
                json.Raw(f.name, NumberText(o.*f.time));
                break;
        }
    }
    json.Raw("Records", std::to_string(records));
    json.End();
}

}  // namespace

int RunInfo(Context& context, const std::vector<std::string>& args) {
    bool asJson = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            asJson = true;
        } else {
            throw UsageError{"info: unknown option \"" + arg + "\""};
        }
    }
    EntryList catalogue;
    TProgramOptions options{std::string()};
    LoadCatalogue(context, catalogue, options);
    if (asJson) {
        PrintJson(context, options, catalogue.Count());
    } else {
        PrintText(context, options, catalogue.Count());
    }
    return kExitOk;
}

}  // namespace quillory::cli
