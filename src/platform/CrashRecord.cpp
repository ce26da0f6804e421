#include "platform/CrashRecord.h"

#include "platform/Unicode.h"

#include <charconv>

namespace pellamor {
namespace {

class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    // The next line when it starts with `key` and a space (or is exactly `key` when it has no value).
    std::optional<std::string_view> take(std::string_view key)
    {
        std::size_t end = text_.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view line = text_.substr(0, end);
        if (line == key) {
            text_.remove_prefix(end + 1);
            return std::string_view();
        }
        if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ' ')
            return std::nullopt;
        text_.remove_prefix(end + 1);
        return line.substr(key.size() + 1);
    }
    bool atEnd() const { return text_.empty(); }

private:
    std::string_view text_;
};

template <class Number> std::optional<Number> number(std::string_view text, int base)
{
    if (text.empty() || text.size() > 20 || text.front() == '+')
        return std::nullopt;
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Printable, valid UTF-8, no control characters.
bool isName(std::string_view text, std::size_t limit)
{
    if (text.size() > limit || !isValidUTF8(text))
        return false;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f)
            return false;
    }
    return true;
}

std::string hex(std::uint64_t value)
{
    char buffer[17];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    return std::string(buffer, end);
}

} // namespace

std::optional<CrashRecord> CrashRecord::parse(std::string_view text)
{
    if (text.size() > maximumBytes)
        return std::nullopt;
    Lines lines(text);
    CrashRecord record;
    if (lines.take("pellamor-crash") != std::optional<std::string_view>("1"))
        return std::nullopt;
    std::optional<std::string_view> kind = lines.take("kind");
    if (kind == std::optional<std::string_view>("signal"))
        record.kind = Kind::signal;
    else if (kind == std::optional<std::string_view>("terminate"))
        record.kind = Kind::terminate;
    else
        return std::nullopt;
    std::optional<std::string_view> field = lines.take("signal");
    std::optional<int> signal = field ? number<int>(*field, 10) : std::nullopt;
    if (!signal || *signal < 1 || *signal > 64)
        return std::nullopt;
    record.signal = *signal;
    field = lines.take("code");
    std::optional<int> code = field ? number<int>(*field, 10) : std::nullopt;
    if (!code)
        return std::nullopt;
    record.code = *code;
    field = lines.take("address");
    std::optional<std::uint64_t> address = field ? number<std::uint64_t>(*field, 16) : std::nullopt;
    if (!address)
        return std::nullopt;
    record.address = *address;
    if (std::optional<std::string_view> name = lines.take("thread")) {
        if (!isName(*name, maximumNameBytes))
            return std::nullopt;
        record.threadName = *name;
    }
    if (std::optional<std::string_view> type = lines.take("exception")) {
        if (type->empty() || !isName(*type, maximumNameBytes))
            return std::nullopt;
        record.exceptionType = *type;
    }
    while (std::optional<std::string_view> frame = lines.take("frame")) {
        std::optional<std::uint64_t> value = number<std::uint64_t>(*frame, 16);
        if (!value || record.frames.size() == maximumFrames)
            return std::nullopt;
        record.frames.push_back(*value);
    }
    while (std::optional<std::string_view> module = lines.take("module")) {
        std::size_t first = module->find(' ');
        std::size_t second = first == std::string_view::npos ? first : module->find(' ', first + 1);
        if (second == std::string_view::npos || record.modules.size() == maximumModules)
            return std::nullopt;
        std::optional<std::uint64_t> start = number<std::uint64_t>(module->substr(0, first), 16);
        std::optional<std::uint64_t> size = number<std::uint64_t>(module->substr(first + 1, second - first - 1), 16);
        std::string_view path = module->substr(second + 1);
        if (!start || !size || path.empty() || !isName(path, 4096))
            return std::nullopt;
        record.modules.push_back({ *start, *size, std::string(path) });
    }
    if (!lines.take("end") || !lines.atEnd())
        return std::nullopt;
    return record;
}

std::string CrashRecord::text() const
{
    std::string out = "pellamor-crash 1\nkind " + std::string(kind == Kind::signal ? "signal" : "terminate")
        + "\nsignal " + std::to_string(signal) + "\ncode " + std::to_string(code) + "\naddress " + hex(address) + "\n";
    if (!threadName.empty())
        out += "thread " + threadName + "\n";
    if (!exceptionType.empty())
        out += "exception " + exceptionType + "\n";
    for (std::uint64_t frame : frames)
        out += "frame " + hex(frame) + "\n";
    for (const CrashModule& module : modules)
        out += "module " + hex(module.start) + " " + hex(module.size) + " " + module.path + "\n";
    return out + "end\n";
}

} // namespace pellamor
