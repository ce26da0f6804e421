// The classic strings-file syntax: `"key" = "value";` pairs with comments, as catalogues are written.
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

namespace pellamor {

namespace {

bool isUnquotedCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$'
        || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
}

class Parser {
public:
    explicit Parser(std::string_view text)
        : text_(text)
    {
    }

    std::optional<PlistDictionary> document()
    {
        PlistDictionary entries;
        for (;;) {
            if (!skipSpace())
                return std::nullopt;
            if (atEnd())
                return entries;
            auto key = string();
            if (!key || !skipSpace())
                return std::nullopt;
            // `"key";` stands for a key that is its own value.
            std::string value = *key;
            if (take('=')) {
                if (!skipSpace())
                    return std::nullopt;
                auto given = string();
                if (!given || !skipSpace())
                    return std::nullopt;
                value = std::move(*given);
            }
            if (!take(';') || !entries.emplace(std::move(*key), PlistValue(std::move(value))).second)
                return std::nullopt;
        }
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const
    {
        return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0';
    }
    bool take(char c)
    {
        if (atEnd() || text_[position_] != c)
            return false;
        ++position_;
        return true;
    }

    // Skips white space and comments; false on an unterminated comment.
    bool skipSpace()
    {
        while (!atEnd()) {
            char c = peek();
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++position_;
            } else if (c == '/' && peek(1) == '/') {
                auto end = text_.find('\n', position_);
                position_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else if (c == '/' && peek(1) == '*') {
                auto end = text_.find("*/", position_ + 2);
                if (end == std::string_view::npos)
                    return false;
                position_ = end + 2;
            } else {
                return true;
            }
        }
        return true;
    }

    std::optional<std::string> string()
    {
        char c = peek();
        if (c == '"' || c == '\'')
            return quoted(c);
        std::size_t start = position_;
        while (!atEnd() && isUnquotedCharacter(peek()))
            ++position_;
        if (position_ == start)
            return std::nullopt;
        return std::string(text_.substr(start, position_ - start));
    }

    std::optional<std::string> quoted(char quote)
    {
        ++position_;
        std::string result;
        for (;;) {
            if (atEnd())
                return std::nullopt;
            char c = text_[position_++];
            if (c == quote)
                return result;
            if (c != '\\') {
                result += c;
                continue;
            }
            if (atEnd() || !escape(result))
                return std::nullopt;
        }
    }

    std::optional<char16_t> unicodeUnit()
    {
        if (text_.size() - position_ < 4)
            return std::nullopt;
        char16_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = hexDigitValue(text_[position_ + i]);
            if (digit < 0)
                return std::nullopt;
            unit = char16_t(unit * 16 + digit);
        }
        position_ += 4;
        return unit;
    }

    bool unicodeEscape(std::string& out)
    {
        auto unit = unicodeUnit();
        if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF))
            return false;
        if (*unit < 0xD800 || *unit > 0xDBFF)
            return appendUTF8(out, *unit);
        // A high surrogate must be followed at once by an escaped low one.
        if (peek() != '\\' || peek(1) != 'U')
            return false;
        position_ += 2;
        auto low = unicodeUnit();
        if (!low || *low < 0xDC00 || *low > 0xDFFF)
            return false;
        return appendUTF8(out, 0x10000 + ((char32_t(*unit) - 0xD800) << 10) + (*low - 0xDC00));
    }

    bool escape(std::string& out)
    {
        char c = text_[position_++];
        switch (c) {
        case 'a':
            out += '\a';
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'v':
            out += '\v';
            return true;
        case 'U':
            return unicodeEscape(out);
        default:
            break;
        }
        if (c >= '0' && c <= '7') {
            int value = c - '0';
            for (int digits = 1; digits < 3 && peek() >= '0' && peek() <= '7'; ++digits)
                value = value * 8 + (text_[position_++] - '0');
            // Octal escapes name bytes of an old 8-bit encoding; only its ASCII half means the same in UTF-8.
            if (value >= 0x80)
                return false;
            out += char(value);
            return true;
        }
        // Any other escaped character stands for itself (\" \' \\ and the like).
        out += c;
        return true;
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

// The text as UTF-8: UTF-16 with a byte-order mark is converted, a UTF-8 mark dropped.
std::optional<std::string> decodedText(std::string_view bytes)
{
    bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE";
    bool bigEndian = bytes.substr(0, 2) == "\xFE\xFF";
    if (littleEndian || bigEndian) {
        if (bytes.size() % 2)
            return std::nullopt;
        std::u16string units;
        units.reserve(bytes.size() / 2 - 1);
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
            units += littleEndian ? char16_t(first | second << 8) : char16_t(first << 8 | second);
        }
        return utf8FromUTF16(units);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!isValidUTF8(bytes))
        return std::nullopt;
    return std::string(bytes);
}

} // namespace

std::optional<PlistDictionary> parseStringsFile(std::string_view bytes)
{
    if (bytes.size() > maxPropertyListBytes)
        return std::nullopt;
    auto text = decodedText(bytes);
    if (!text || text->find('\0') != std::string::npos)
        return std::nullopt;
    return Parser(*text).document();
}

} // namespace pellamor
