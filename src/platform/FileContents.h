// Whole-file reads with a size bound, and writes that replace a file atomically.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellamor {

struct FileRead {
    enum class Status { read, missing, failed };
    Status status = Status::failed;
    std::string contents;
};

// A regular file of at most `maxBytes`, opened without waiting; anything else (a folder, a pipe, a larger file, an
// I/O error) failed.
FileRead readFileContents(const std::filesystem::path& path, std::size_t maxBytes);

// Writes a temporary file beside `path`, flushes it to disk and renames it over `path`, creating the
// folder if needed: a crash or kill at any point leaves either the old or the new contents. False on failure,
// with `path` untouched.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

} // namespace pellamor
