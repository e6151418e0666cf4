#pragma once
// The program's entry, in this order: the command line (the words "exit" and "rescan" go to a
// running copy), the application and its windows (creating the main window reads the
// settings), the data folder, the database, the one-shot start-up timer, the event loop.

namespace quillory::app {

int RunQuillory(int argc, char** argv);

}  // namespace quillory::app
