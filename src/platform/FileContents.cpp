#include "platform/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pellamor {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        contents.remove_prefix(std::size_t(written));
    }
    return true;
}

} // namespace

FileRead readFileContents(const std::filesystem::path& path, std::size_t maxBytes)
{
    // Non-blocking: a pipe or device under the name must not hang the caller; it is refused below.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return { errno == ENOENT || errno == ENOTDIR ? FileRead::Status::missing : FileRead::Status::failed, {} };
    struct stat status { };
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || std::size_t(status.st_size) > maxBytes)
        return {};
    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 || contents.size() + std::size_t(count) > maxBytes)
            return {};
        if (count == 0)
            return { FileRead::Status::read, std::move(contents) };
        contents.append(buffer, std::size_t(count));
    }
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents)
{
    std::error_code error;
    auto folder = path.parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    std::string name = ".";
    name.append(path.filename().string()).append(".XXXXXX");
    std::string temporary = (folder / name).string();
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0)
        return false;
    bool written = writeAll(file.get(), contents) && ::fsync(file.get()) == 0 && file.close()
        && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    Descriptor directory(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        ::fsync(directory.get());
    return true;
}

} // namespace pellamor
