// What the crash handler leaves on disk for the next start: the signal, the fault address, the crashed thread's
// name, the return addresses and the map of loaded modules; never any text of the user's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

struct CrashModule {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::string path;
    friend bool operator==(const CrashModule&, const CrashModule&) = default;
};

struct CrashRecord {
    enum class Kind { signal, terminate };

    static constexpr std::size_t maximumBytes = 64 * 1024;
    static constexpr std::size_t maximumFrames = 128;
    static constexpr std::size_t maximumModules = 512;
    static constexpr std::size_t maximumNameBytes = 128;

    Kind kind = Kind::signal;
    int signal = 0;
    int code = 0;
    std::uint64_t address = 0;
    std::string threadName;
    // The uncaught exception's type name, for a terminate.
    std::string exceptionType;
    std::vector<std::uint64_t> frames;
    std::vector<CrashModule> modules;

    // The text form, line by line:
    //   pellamor-crash 1
    //   kind signal|terminate
    //   signal <decimal 1-64>
    //   code <decimal, may be negative>
    //   address <hexadecimal>
    //   thread <name>            (optional)
    //   exception <type name>    (optional)
    //   frame <hexadecimal>      (any number up to the limit)
    //   module <hexadecimal start> <hexadecimal size> <path>
    //   end
    // None for anything else: a missing or reordered line, a bad number, text after "end", too much of anything.
    static std::optional<CrashRecord> parse(std::string_view text);
    std::string text() const;

    friend bool operator==(const CrashRecord&, const CrashRecord&) = default;
};

} // namespace pellamor
