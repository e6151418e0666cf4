#include "app/startup.h"

#include <QApplication>

namespace quillory::app {

int RunQuillory(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}

}  // namespace quillory::app
