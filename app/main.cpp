// quillory: the desktop program.
#include "app/startup.h"

int main(int argc, char** argv) {
    return quillory::app::RunQuillory(argc, argv);
}
