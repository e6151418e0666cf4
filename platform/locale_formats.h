#pragma once
// The user's locale formats: thousands separator, short date and long time. They come from
// ICU's data for the locale named by LC_ALL, LC_TIME or LANG (the first one set).

#include <memory>
#include <string>

#include "platform/date_time.h"

namespace quillory {

class LocaleFormats {
  public:
    // The locale of the environment; "C", "POSIX" or nothing at all mean en_US_POSIX.
    static LocaleFormats FromEnvironment();
    // A named locale such as "de_DE" or "en_US.UTF-8" (the encoding part is ignored).
    static LocaleFormats ForLocale(const std::string& name);

    const std::string& LocaleName() const { return locale_; }
    const std::string& ThousandsSeparator() const { return thousands_; }

    // The short date of `value` in the locale's short date pattern.
    std::string ShortDate(DateTime value) const;
    // The time of day of `value` in the locale's medium time pattern (no zone).
    std::string LongTime(DateTime value) const;

  private:
    struct Formatters;
    std::string locale_;
    std::string thousands_;
    std::shared_ptr<const Formatters> formatters_;
};

// The short date, then, unless the time is exactly midnight to the second, a blank and the
// long time. 0 shows as 30 December 1899.
std::string DateText(DateTime value, const LocaleFormats& formats);

// The locale name the environment selects for a category: LC_ALL, then the category's own
// variable (LC_TIME for the formats, LC_COLLATE for sorting), then LANG; "C" when none is set.
std::string EnvironmentLocaleName(const char* category = "LC_TIME");

}  // namespace quillory
