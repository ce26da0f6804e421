#include "platform/ISO8601Date.h"

#include <QDateTime>

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace pellamor {

namespace {

// Days between 1970-01-01 and the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = unsigned(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + std::int64_t(dayOfEra) - 719468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(std::int64_t days)
{
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    auto dayOfEra = unsigned(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return { std::int64_t(yearOfEra) + era * 400 + (month <= 2), month, day };
}

bool isLeapYear(std::int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(std::int64_t year, unsigned month)
{
    static const unsigned days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : text_(text)
    {
    }

    std::optional<unsigned> digits(int count)
    {
        if (text_.size() - position_ < std::size_t(count))
            return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            char c = text_[position_ + i];
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + unsigned(c - '0');
        }
        position_ += count;
        return value;
    }
    bool take(char c)
    {
        if (position_ < text_.size() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }
    bool atDigit() const { return position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9'; }
    bool atEnd() const { return position_ == text_.size(); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

} // namespace

std::optional<PlistDate> parseISO8601Date(std::string_view text)
{
    Scanner scan(text);
    auto year = scan.digits(4);
    if (!year || !scan.take('-'))
        return std::nullopt;
    auto month = scan.digits(2);
    if (!month || *month < 1 || *month > 12 || !scan.take('-'))
        return std::nullopt;
    auto day = scan.digits(2);
    if (!day || *day < 1 || *day > daysInMonth(*year, *month) || !scan.take('T'))
        return std::nullopt;
    auto hour = scan.digits(2);
    if (!hour || *hour > 23 || !scan.take(':'))
        return std::nullopt;
    auto minute = scan.digits(2);
    if (!minute || *minute > 59 || !scan.take(':'))
        return std::nullopt;
    auto second = scan.digits(2);
    if (!second || *second > 59)
        return std::nullopt;
    double fraction = 0;
    if (scan.take('.')) {
        if (!scan.atDigit())
            return std::nullopt;
        for (double scale = 0.1; scan.atDigit(); scale /= 10)
            fraction += *scan.digits(1) * scale;
    }
    std::int64_t offset = 0;
    if (!scan.take('Z')) {
        int sign = scan.take('+') ? 1 : (scan.take('-') ? -1 : 0);
        if (sign == 0)
            return std::nullopt;
        auto offsetHours = scan.digits(2);
        if (!offsetHours || *offsetHours > 23)
            return std::nullopt;
        scan.take(':');
        auto offsetMinutes = scan.digits(2);
        if (!offsetMinutes || *offsetMinutes > 59)
            return std::nullopt;
        offset = sign * std::int64_t(*offsetHours * 3600 + *offsetMinutes * 60);
    }
    if (!scan.atEnd())
        return std::nullopt;
    std::int64_t seconds = daysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
    return PlistDate { double(seconds - offset) + fraction };
}

PlistDate currentDate()
{
    return PlistDate { double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 };
}

std::optional<std::string> formatISO8601Date(PlistDate date, bool fractionalSeconds)
{
    double value = date.secondsSince1970;
    // Beyond these bounds the year has more than four digits.
    if (!std::isfinite(value) || value < -62167219200.0 || value >= 253402300800.0)
        return std::nullopt;
    double whole = std::floor(value);
    auto milliseconds = int(std::lround((value - whole) * 1000));
    if (milliseconds == 1000 && fractionalSeconds) {
        whole += 1;
        milliseconds = 0;
    }
    auto seconds = std::int64_t(whole);
    std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    std::int64_t secondOfDay = seconds - days * 86400;
    CivilDate civil = civilFromDays(days);
    if (civil.year > 9999)
        return std::nullopt;
    char buffer[40];
    int hour = int(secondOfDay / 3600), minute = int(secondOfDay / 60 % 60), second = int(secondOfDay % 60);
    if (fractionalSeconds)
        std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(civil.year), civil.month,
            civil.day, hour, minute, second, milliseconds);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(civil.year), civil.month, civil.day,
            hour, minute, second);
    return std::string(buffer);
}

} // namespace pellamor
