// The log reader's tail reads over a real file written in two appends, checked against a plain line-by-line
// reading of the same bytes: the first byte chooses where the second append starts, the rest is the log.
#include "assistant/CodexLogFileName.h"
#include "assistant/CodexNavigationReader.h"
#include "assistant/LossyUtf8.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace pellamor;

constexpr std::int32_t pid = 4242;
constexpr std::array<std::string_view, 4> markerTexts = {
    " [window-manager] window main frame finished load ",
    " [window-manager] window ready-to-show ",
    " [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync ",
    " [electron-message-handler] client.performance.span ",
};

// What the reader should make of the appends, one line at a time and without any shortcut.
class PlainReading {
public:
    // The reader's first pass over a new session discards the empty history once.
    CodexNavigationObservation append(std::string_view bytes)
    {
        std::string text = remainder_ + repairingUtf8(bytes);
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
            const std::string_view line = std::string_view(text).substr(start, end - start);
            for (std::string_view marker : markerTexts) {
                if (line.find(marker) != std::string_view::npos) {
                    state_.consume(line);
                    break;
                }
            }
            start = end + 1;
        }
        const std::string last = text.substr(start);
        remainder_ = CodexNavigationLogState::isPotentialMetadataPrefix(last) ? last : std::string();
        return state_.observation();
    }

private:
    CodexNavigationLogState state_ { CodexNavigationObservation { CodexNavigationSelection::none(), 1, 0 } };
    std::string remainder_;
};

// One folder for the whole run, removed at exit; a plain array so that it outlives the exit handler.
const char* folder()
{
    static char path[] = "/tmp/fuzz_log_pass.XXXXXX";
    static const bool made = [] {
        if (!::mkdtemp(path))
            std::abort();
        std::atexit([] { std::filesystem::remove_all(path); });
        return true;
    }();
    (void)made;
    return path;
}

void write(const std::string& path, std::string_view bytes, int flags)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0600);
    if (descriptor < 0 || ::write(descriptor, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(descriptor);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view log(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = log.size() * data[0] / 256;
    const std::string path
        = std::string(folder()) + "/" + codexLogFileName("0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0", pid, 1, "000000", 0);
    write(path, log.substr(0, split), O_TRUNC);

    CodexNavigationReader reader(
        std::filesystem::path(folder()),
        [] {
            return CodexProcessIdentity { pid, std::nullopt };
        },
        [] { return PlistDate { 1.7e9 }; });
    PlainReading plain;
    if (reader.read() != plain.append(log.substr(0, split)))
        std::abort();
    write(path, log.substr(split), O_APPEND);
    if (reader.read() != plain.append(log.substr(split)))
        std::abort();
    return 0;
}
