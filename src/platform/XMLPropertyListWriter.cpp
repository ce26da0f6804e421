// XML property lists written by hand, refusing what XML cannot carry.
#include "platform/ISO8601Date.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

#include <QByteArray>
#include <charconv>
#include <cmath>

namespace pellamor {

namespace {

// XML 1.0 cannot carry most control characters, not even as references.
bool isXMLText(std::string_view text)
{
    if (!isValidUTF8(text))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        // U+FFFE and U+FFFF.
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF
            && (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
            return false;
    }
    return true;
}

class Writer {
public:
    bool value(const PlistValue& value, int depth)
    {
        if (depth > maxPropertyListDepth)
            return false;
        indent(depth);
        switch (value.type()) {
        case PlistValue::Type::boolean:
            out_ += *value.asBool() ? "<true/>\n" : "<false/>\n";
            return true;
        case PlistValue::Type::integer:
            out_ += "<integer>" + std::to_string(*value.asInteger()) + "</integer>\n";
            return true;
        case PlistValue::Type::unsignedInteger:
            out_ += "<integer>" + std::to_string(*value.asUnsigned()) + "</integer>\n";
            return true;
        case PlistValue::Type::real:
            out_ += "<real>" + real(*value.asReal()) + "</real>\n";
            return true;
        case PlistValue::Type::string:
            return element("string", *value.asString());
        case PlistValue::Type::data: {
            auto& data = *value.asData();
            auto encoded = QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())).toBase64();
            out_ += "<data>" + encoded.toStdString() + "</data>\n";
            return true;
        }
        case PlistValue::Type::date: {
            auto text = formatISO8601Date(*value.asDate());
            if (!text)
                return false;
            out_ += "<date>" + *text + "</date>\n";
            return true;
        }
        case PlistValue::Type::array:
            return array(*value.asArray(), depth);
        case PlistValue::Type::dictionary:
            return dictionary(*value.asDictionary(), depth);
        }
        return false;
    }

    std::string& output() { return out_; }

private:
    void indent(int depth) { out_.append(std::size_t(depth), '\t'); }

    static std::string real(double value)
    {
        if (std::isnan(value))
            return "nan";
        if (std::isinf(value))
            return value > 0 ? "+infinity" : "-infinity";
        char buffer[32];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, end);
    }

    bool element(const char* name, std::string_view text)
    {
        if (!isXMLText(text))
            return false;
        out_ += '<';
        out_ += name;
        out_ += '>';
        for (char c : text) {
            switch (c) {
            case '&':
                out_ += "&amp;";
                break;
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            // A raw carriage return would be read back as a line feed.
            case '\r':
                out_ += "&#13;";
                break;
            default:
                out_ += c;
            }
        }
        out_ += "</";
        out_ += name;
        out_ += ">\n";
        return true;
    }

    bool array(const PlistArray& items, int depth)
    {
        if (items.empty()) {
            out_ += "<array/>\n";
            return true;
        }
        out_ += "<array>\n";
        for (auto& item : items)
            if (!value(item, depth + 1))
                return false;
        indent(depth);
        out_ += "</array>\n";
        return true;
    }

    bool dictionary(const PlistDictionary& members, int depth)
    {
        if (members.empty()) {
            out_ += "<dict/>\n";
            return true;
        }
        out_ += "<dict>\n";
        for (auto& [key, member] : members) {
            indent(depth + 1);
            if (!element("key", key) || !value(member, depth + 1))
                return false;
        }
        indent(depth);
        out_ += "</dict>\n";
        return true;
    }

    std::string out_;
};

} // namespace

std::optional<std::string> writeXMLPropertyList(const PlistValue& value)
{
    Writer writer;
    writer.output() = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    if (!writer.value(value, 0))
        return std::nullopt;
    writer.output() += "</plist>\n";
    return std::move(writer.output());
}

} // namespace pellamor
