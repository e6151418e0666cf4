// Feeds arbitrary bytes to the database reader. Every input must end in a loaded catalogue or
// an Error; nothing may crash, overrun, leak or allocate beyond the input's size.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "core/database.h"
#include "platform/error.h"

using namespace quillory;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("quillory-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    static const ActivityLog log("/dev/null", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;

    EntryList catalogue;
    catalogue.AcquireEntry("before");
    TProgramOptions options{std::string("/\r\n")};
    try {
        LoadDatabase(catalogue, options, path, log);
        // A loaded catalogue never claims more entries than its file could hold.
        if (catalogue.Count() > size / 40 + 1) __builtin_trap();
        for (const TMyItem& e : catalogue.Entries()) (void)EntryFullPath(e);
    } catch (const Error&) {
        // A refused file leaves the catalogue as it was.
        if (catalogue.Count() != 1 || catalogue[0].Name() != "before") __builtin_trap();
    }
    return 0;
}
