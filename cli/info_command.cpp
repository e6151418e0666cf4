// quillory-cli info: the database header and the number of records actually read.

#include <charconv>
#include <ostream>

#include "cli/cli.h"
#include "cli/json.h"
#include "core/text_lines.h"

namespace quillory::cli {

namespace {

std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void PrintText(const Context& c, const TProgramOptions& o, size_t records) {
    auto list = [&](const char* key, const std::string& text) {
        c.out << key << ':';
        for (const std::string& line : SplitLines(text)) c.out << "\n  " << line;
        c.out << '\n';
    };
    auto flag = [](bool b) { return b ? "true" : "false"; };
    c.out << "DatabaseName: " << o.DatabaseName << '\n';
    c.out << "DBFileName: " << o.DBFileName << '\n';
    list("IncludedFolders", o.IncludedFolders);
    list("ExcludedFolders", o.ExcludedFolders);
    c.out << "ExtensionFilterOn: " << flag(o.ExtensionFilterOn) << '\n';
    c.out << "IncludeExtensionsMode: " << flag(o.IncludeExtensionsMode) << '\n';
    c.out << "ExcludeExtensionsMode: " << flag(o.ExcludeExtensionsMode) << '\n';
    list("IncludedExtensions", o.IncludedExtensions);
    list("ExcludedExtensions", o.ExcludedExtensions);
    c.out << "LastRescanSeconds: " << o.LastRescanSeconds << '\n';
    c.out << "LastRescanTime: " << NumberText(o.LastRescanTime) << '\n';
    c.out << "Records: " << records << '\n';
}

void PrintJson(const Context& c, const TProgramOptions& o, size_t records) {
    JsonObjectWriter json(c.out);
    json.String("DatabaseName", o.DatabaseName);
    json.String("DBFileName", o.DBFileName);
    json.Lines("IncludedFolders", SplitLines(o.IncludedFolders));
    json.Lines("ExcludedFolders", SplitLines(o.ExcludedFolders));
    json.Bool("ExtensionFilterOn", o.ExtensionFilterOn);
    json.Bool("IncludeExtensionsMode", o.IncludeExtensionsMode);
    json.Bool("ExcludeExtensionsMode", o.ExcludeExtensionsMode);
    json.Lines("IncludedExtensions", SplitLines(o.IncludedExtensions));
    json.Lines("ExcludedExtensions", SplitLines(o.ExcludedExtensions));
    json.Raw("LastRescanSeconds", std::to_string(o.LastRescanSeconds));
    json.Raw("LastRescanTime", NumberText(o.LastRescanTime));
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
