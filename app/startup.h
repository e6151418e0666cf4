#pragma once
// The program's entry: the command line first, then the windows, the data folder, the
// database and the start-up timer, then the event loop.

namespace quillory::app {

int RunQuillory(int argc, char** argv);

}  // namespace quillory::app
