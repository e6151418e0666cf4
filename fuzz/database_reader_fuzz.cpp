// Feeds arbitrary bytes to the database reader. Every input must end in a loaded catalogue or
// an Error; nothing may crash, overrun, leak or allocate beyond the input's size. Every value
// loaded is then formatted as the program shows and exports it (dates, sizes, attributes),
// so a stored value no formatter can take is found here too.

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "actions/export_fields.h"
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
        static const LocaleFormats formats = LocaleFormats::ForLocale("en_US");
        for (const TMyItem& e : catalogue.Entries()) {
            (void)EntryFullPath(e);
            for (int field = 0; field < kExportFieldCount; ++field) {
                (void)ExportFieldValue(e, static_cast<ExportField>(field), formats);
            }
            // A loaded date is always one the formatters can take.
            for (const DateTime date : {e.Modified, e.Created, e.Accessed}) {
                if (!IsValidDateTime(date) && date != 0) __builtin_trap();
            }
        }
        (void)DateText(options.LastRescanTime, formats);
        if (!std::isfinite(options.LastRescanTime)) __builtin_trap();
    } catch (const Error&) {
        // A refused file leaves the catalogue as it was.
        if (catalogue.Count() != 1 || catalogue[0].Name() != "before") __builtin_trap();
    }
    return 0;
}
