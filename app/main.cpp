// quillory: the desktop program.
#include <cstdio>
#include <cstring>

#include "app/startup.h"

int main(int argc, char** argv) {
    // Answered before anything starts: no display is needed and no running copy is asked.
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0)) {
        std::fputs("Quillory " QUILLORY_VERSION "\n", stdout);
        return 0;
    }
    return quillory::app::RunQuillory(argc, argv);
}
