#include "assistant/CodexStateReader.h"

#include "platform/Platform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pellamor {

namespace {

// Far beyond any real state file; a larger one is refused rather than read into memory.
constexpr off_t maximumStateFileBytes = off_t { 256 } << 20;

[[noreturn]] void throwFileError(const char* what, const std::filesystem::path& path, int code = errno)
{
    throw std::filesystem::filesystem_error(what, path, std::error_code(code, std::generic_category()));
}

} // namespace

CodexStateReader::CodexStateReader(
    std::optional<std::filesystem::path> url, std::unique_ptr<CodexNavigationReading> navigationReader)
    : url_(url ? std::move(*url) : platform().homeDirectory() / ".codex/.codex-global-state.json")
    , navigationReader_(std::move(navigationReader))
{
}

std::optional<std::filesystem::path> CodexStateReader::activeNavigationLogURL() const
{
    return navigationReader_ ? navigationReader_->currentLogURL() : std::nullopt;
}

CodexStateReader::Attributes CodexStateReader::attributes() const
{
    struct stat status { };
    if (::stat(url_.c_str(), &status) != 0)
        throwFileError("cannot read the attributes of the assistant's state file", url_);
    return Attributes { static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(status.st_size), static_cast<std::uint64_t>(status.st_ino) };
}

std::string CodexStateReader::contents() const
{
    // Non-blocking: a pipe or device under the state file's name must not hang the poll on the main thread.
    const int descriptor = ::open(url_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        throwFileError("cannot open the assistant's state file", url_);
    struct stat status { };
    const int failure = ::fstat(descriptor, &status) != 0 ? errno
        : S_ISDIR(status.st_mode)                         ? EISDIR
        : !S_ISREG(status.st_mode)                        ? EINVAL
        : status.st_size > maximumStateFileBytes          ? EFBIG
                                                          : 0;
    if (failure != 0) {
        ::close(descriptor);
        throwFileError("cannot read the assistant's state file", url_, failure);
    }
    // Read to the end, not to the size seen: the file may grow while it is read.
    std::string bytes(static_cast<std::size_t>(status.st_size) + 4096, '\0');
    std::size_t length = 0;
    while (true) {
        if (length == bytes.size()) {
            if (bytes.size() > static_cast<std::size_t>(maximumStateFileBytes)) {
                ::close(descriptor);
                throwFileError("cannot read the assistant's state file", url_, EFBIG);
            }
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t got = ::read(descriptor, bytes.data() + length, bytes.size() - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int failure = errno;
            ::close(descriptor);
            throwFileError("cannot read the assistant's state file", url_, failure);
        }
        if (got == 0)
            break;
        length += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    bytes.resize(length);
    return bytes;
}

CodexSnapshot CodexStateReader::read()
{
    const Attributes current = attributes();
    const bool unchanged = cached_ && current.modificationDate && current.byteCount
        && current.modificationDate == cachedAttributes_.modificationDate
        && current.byteCount == cachedAttributes_.byteCount && current.fileNumber == cachedAttributes_.fileNumber;
    if (!unchanged) {
        CodexSnapshot decoded = CodexSnapshot::decode(contents());
        cached_ = std::move(decoded);
        cachedAttributes_ = current;
    }
    if (!navigationReader_)
        return *cached_;
    return selectionResolver_.resolve(*cached_, navigationReader_->read());
}

} // namespace pellamor
