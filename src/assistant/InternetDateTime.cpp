#include "assistant/InternetDateTime.h"

#include "assistant/UtcCalendar.h"

namespace pellamor {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads `count` digits at `at`; none when any is not a digit.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool expect(std::string_view text, std::size_t at, char c)
{
    return at < text.size() && text[at] == c;
}

} // namespace

std::optional<std::int64_t> parseInternetDateTime(std::string_view text)
{
    auto year = digits(text, 0, 4);
    auto month = digits(text, 5, 2);
    auto day = digits(text, 8, 2);
    auto hour = digits(text, 11, 2);
    auto minute = digits(text, 14, 2);
    auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (!expect(text, 4, '-') || !expect(text, 7, '-') || !expect(text, 10, 'T') || !expect(text, 13, ':')
        || !expect(text, 16, ':') || !expect(text, 19, '.'))
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59
        || *second > 59)
        return std::nullopt;

    std::size_t at = 20;
    std::int64_t fraction = 0;
    std::size_t fractionDigits = 0;
    while (at < text.size() && isDigit(text[at])) {
        if (++fractionDigits > 9)
            return std::nullopt;
        fraction = fraction * 10 + (text[at++] - '0');
    }
    if (fractionDigits == 0)
        return std::nullopt;
    for (std::size_t i = fractionDigits; i < 9; ++i)
        fraction *= 10;

    std::int64_t offsetSeconds = 0;
    if (expect(text, at, 'Z')) {
        ++at;
    } else if (expect(text, at, '+') || expect(text, at, '-')) {
        const int sign = text[at] == '-' ? -1 : 1;
        auto offsetHours = digits(text, at + 1, 2);
        auto offsetMinutes = digits(text, at + 4, 2);
        if (!offsetHours || !offsetMinutes || !expect(text, at + 3, ':') || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;

    const std::int64_t seconds
        = daysFromCivil({ *year, *month, *day }) * 86400 + *hour * 3600 + *minute * 60 + *second - offsetSeconds;
    // Nanoseconds since 1970 reach only the years 1678 to 2262; other dates name no time a log line has.
    std::int64_t nanoseconds = 0;
    if (__builtin_mul_overflow(seconds, std::int64_t { 1'000'000'000 }, &nanoseconds)
        || __builtin_add_overflow(nanoseconds, fraction, &nanoseconds))
        return std::nullopt;
    return nanoseconds;
}

} // namespace pellamor
