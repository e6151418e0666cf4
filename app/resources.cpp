#include "app/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitQuilloryResources() {
    Q_INIT_RESOURCE(quillory);
}

namespace quillory::app {

void InitResources() {
    static const bool done = (InitQuilloryResources(), true);
    (void)done;
}

}  // namespace quillory::app
