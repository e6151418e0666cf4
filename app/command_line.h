#pragma once
// What the first command-line parameter asks for. Only the first parameter is ever looked
// at; the words are compared exactly and case-sensitively, so "Exit" is a possible file name
// and a file literally named "exit" cannot be opened this way.

#include <QString>
#include <QStringList>
#include <functional>

namespace quillory::app {

enum class StartCommand {
    None,          // no parameter: a normal start
    Exit,          // "exit": end a running copy, then end at once
    Rescan,        // "rescan": ask a running copy to rescan, or start and rescan
    OpenDatabase,  // the parameter names an existing file: open it as the database
    Ignored,       // anything else: a normal start with the default database
};

struct CommandLine {
    StartCommand command = StartCommand::None;
    // The first parameter exactly as typed (empty for None).
    QString firstParameter;
};

// Whether `path` names an existing file (a folder is not a file; links are followed).
bool IsExistingFile(const QString& path);

// `arguments` are the parameters after the program name.
CommandLine ClassifyCommandLine(const QStringList& arguments,
                                const std::function<bool(const QString&)>& isFile = IsExistingFile);

// The same for main()'s argv, decoded from the locale's 8-bit text; usable before any
// application object exists.
CommandLine ClassifyCommandLine(int argc, char** argv,
                                const std::function<bool(const QString&)>& isFile = IsExistingFile);

}  // namespace quillory::app
