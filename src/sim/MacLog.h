// The simulated Mac's log: one "mac:" line on standard error for every change a person would see.
#pragma once

#include <QRectF>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pellamor::sim {

class MacLog {
public:
    // Null: lines are only kept.
    explicit MacLog(std::ostream* stream)
        : stream_(stream)
    {
    }

    void currentSpace(const std::string& display, std::uint64_t space);
    void spaceAdded(const std::string& display, std::uint64_t space);
    void spaceRemoved(const std::string& display, std::uint64_t space);
    void windowSpaces(std::uint32_t window, const std::vector<std::uint64_t>& spaces);
    void windowFrame(std::uint32_t window, const QRectF& frame);
    void windowClosed(std::uint32_t window);
    void hotkey(std::uint32_t id, bool enabled);
    void keyPosted(std::uint16_t code, std::uint64_t flags, bool down);
    void missionControl(bool shown);
    void frontmost(const std::string& bundleID);
    void openURL(const std::string& url);
    void enhancedUserInterface(int pid, bool enabled);

    // Every line written so far, without the "mac: " prefix.
    const std::vector<std::string>& lines() const { return lines_; }

private:
    void write(std::string line);

    std::ostream* stream_;
    std::vector<std::string> lines_;
};

// A number as the log writes it, never with an exponent: a whole number as its exact value, a fraction as the
// shortest decimal that reads back as the same double; "inf", "-inf" or "nan" when it is not finite.
std::string formatNumber(double value);

} // namespace pellamor::sim
