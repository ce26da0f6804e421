#include "platform/WindowList.h"

namespace pellamor {

namespace {
std::optional<double> number(const PlistDictionary& dictionary, const char* key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() ? std::nullopt : numberValue(found->second);
}
} // namespace

std::optional<double> numberValue(const PlistValue& value)
{
    if (auto real = value.asReal())
        return *real;
    if (auto integer = value.asInteger())
        return static_cast<double>(*integer);
    if (auto unsignedInteger = value.asUnsigned())
        return static_cast<double>(*unsignedInteger);
    return std::nullopt;
}

std::optional<QRectF> rectFromDictionary(const PlistValue& value)
{
    const PlistDictionary* dictionary = value.asDictionary();
    if (!dictionary)
        return std::nullopt;
    auto x = number(*dictionary, "X");
    auto y = number(*dictionary, "Y");
    auto width = number(*dictionary, "Width");
    auto height = number(*dictionary, "Height");
    if (!x || !y || !width || !height)
        return std::nullopt;
    return QRectF(*x, *y, *width, *height);
}

PlistDictionary dictionaryFromRect(const QRectF& rect)
{
    return { { "X", rect.x() }, { "Y", rect.y() }, { "Width", rect.width() }, { "Height", rect.height() } };
}

} // namespace pellamor
