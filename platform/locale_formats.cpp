#include "platform/locale_formats.h"

#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <mutex>

namespace quillory {

struct LocaleFormats::Formatters {
    // ICU formatters are not safe for concurrent use; one lock covers both.
    mutable std::mutex lock;
    std::unique_ptr<icu::DateFormat> date;
    std::unique_ptr<icu::DateFormat> time;
};

namespace {

std::string IcuLocaleId(std::string_view name) {
    const std::string_view id = name.substr(0, name.find_first_of(".@"));
    if (id.empty() || id == "C" || id == "POSIX") return "en_US_POSIX";
    return std::string(id);
}

std::unique_ptr<icu::DateFormat> MakeFormatter(icu::DateFormat* format) {
    std::unique_ptr<icu::DateFormat> owned(format);
    if (owned) {
        // A date-time value already holds local wall-clock time: format it as UTC so ICU
        // applies no zone offset of its own.
        owned->adoptTimeZone(icu::TimeZone::createTimeZone("Etc/UTC"));
    }
    return owned;
}

std::string Format(const icu::DateFormat* format, std::mutex& lock, DateTime value) {
    if (!format) return {};
    const DateTimeParts p = DecodeDateTime(value);
    const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kUnixEpochDay);
    const UDate udate =
        days * 86'400'000.0 + ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
    icu::UnicodeString text;
    {
        std::lock_guard<std::mutex> guard(lock);
        format->format(udate, text);
    }
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace

std::string EnvironmentLocaleName(const char* category) {
    for (const char* var : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return "C";
}

LocaleFormats LocaleFormats::FromEnvironment() {
    return ForLocale(EnvironmentLocaleName());
}

LocaleFormats LocaleFormats::ForLocale(const std::string& name) {
    LocaleFormats formats;
    formats.locale_ = IcuLocaleId(name);
    const icu::Locale locale(formats.locale_.c_str());
    auto f = std::make_shared<Formatters>();
    f->date = MakeFormatter(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    f->time = MakeFormatter(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
    formats.formatters_ = std::move(f);
    UErrorCode status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale, status);
    std::string separator(1, ',');
    if (U_SUCCESS(status)) {
        separator.clear();
        symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol).toUTF8String(separator);
    }
    formats.thousands_ = std::move(separator);
    return formats;
}

std::string LocaleFormats::ShortDate(DateTime value) const {
    return Format(formatters_->date.get(), formatters_->lock, value);
}

std::string LocaleFormats::LongTime(DateTime value) const {
    return Format(formatters_->time.get(), formatters_->lock, value);
}

std::string DateText(DateTime value, const LocaleFormats& formats) {
    const DateTimeParts p = DecodeDateTime(value);
    if (p.hour == 0 && p.minute == 0 && p.second == 0) return formats.ShortDate(value);
    return formats.ShortDate(value).append(" ").append(formats.LongTime(value));
}

}  // namespace quillory
