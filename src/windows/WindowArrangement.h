// The ten window layouts: French titles, target rectangles in a screen's visible area, and their detection.
#pragma once

#include <QRectF>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

class WindowArrangement {
public:
    enum Value { topLeft, topRight, bottomLeft, bottomRight, left, right, top, bottom, center, maximize };

    constexpr WindowArrangement(Value value)
        : value_(value)
    {
    }
    static constexpr std::array<Value, 10> allCases { topLeft, topRight, bottomLeft, bottomRight, left, right, top,
        bottom, center, maximize };
    // Exactly one of the ten French titles; none for anything else.
    static std::optional<WindowArrangement> fromRawValue(std::string_view rawValue);
    // The first layout, `center` last, whose rectangle for the frame's size lies within `tolerance` points of
    // the frame on each of its four numbers; none for an empty frame or area.
    static std::optional<WindowArrangement> detected(const QRectF& frame, const QRectF& area, double tolerance = 6.0);

    Value value() const { return value_; }
    // The French title, also the catalogue key.
    std::string rawValue() const;
    std::string title() const;
    // Where a window of `size` goes in `area`; both in one space where y grows downward.
    QRectF rect(const QSizeF& size, const QRectF& area) const;
    // The layout's share of a unit square, for its icon.
    QRectF zone() const;

    friend bool operator==(WindowArrangement, WindowArrangement) = default;

private:
    Value value_;
};

} // namespace pellamor
