#pragma once
// Where the program's external launches lead: the maker's web pages and the help pages
// shipped with the program.

#include <QString>

namespace quillory::app {

// The maker's web address, shown by the links that lead there.
inline constexpr char kMakerAddress[] = "https://quillory.example.org/";

// The maker's address followed by `page` ("" for the home page, "internet-search.htm",
// "search-software.htm", "donate.htm").
QString MakerPage(const QString& page);

// The folder of the help pages: "help" beside the executable (the build tree), else
// share/quillory/help of the installation the executable belongs to. When neither exists
// the first is answered, so a missing page is left to the browser to report.
QString HelpFolder(const QString& executableFolder);

// The file address of a help topic ("Start.htm", "Start.htm#keys") in `helpFolder`.
QString HelpTopicAddress(const QString& helpFolder, const QString& topic);

}  // namespace quillory::app
