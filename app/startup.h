#pragma once
// The program's entry, in this order: the command line (the words "exit" and "rescan" go to a
// running copy), the application and its windows (creating the main window reads the
// settings), the data folder, the database, the one-shot start-up timer, the event loop.

#include <QDateTime>
#include <QString>

namespace quillory::app {

struct ProgramContext;
class UiPrompts;

int RunQuillory(int argc, char** argv);

// The name a damaged working database is renamed to at start-up, so that the next start
// works and the damaged file stays for inspection: "index.dat.damaged-YYYYMMDD-HHMMSS".
QString DamagedDatabaseName(const QString& path, const QDateTime& when);

}  // namespace quillory::app
