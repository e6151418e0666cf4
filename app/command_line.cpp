#include "app/command_line.h"

#include <QFileInfo>

namespace quillory::app {

bool IsExistingFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

CommandLine ClassifyCommandLine(const QStringList& arguments,
                                const std::function<bool(const QString&)>& isFile) {
    CommandLine result;
    if (arguments.isEmpty()) return result;
    result.firstParameter = arguments.front();
    // The command words win over files of the same name.
    if (result.firstParameter == QLatin1String("exit")) {
        result.command = StartCommand::Exit;
    } else if (result.firstParameter == QLatin1String("rescan")) {
        result.command = StartCommand::Rescan;
    } else if (isFile(result.firstParameter)) {
        result.command = StartCommand::OpenDatabase;
    } else {
        result.command = StartCommand::Ignored;
    }
    return result;
}

CommandLine ClassifyCommandLine(int argc, char** argv, const std::function<bool(const QString&)>& isFile) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]));
    return ClassifyCommandLine(arguments, isFile);
}

}  // namespace quillory::app
