// Reads the assistant's global state file, decoding it again only when the file changed.
#pragma once

#include "assistant/CodexNavigation.h"
#include "assistant/CodexSelectionResolver.h"
#include "assistant/Models.h"

#include <filesystem>
#include <memory>

namespace pellamor {

class CodexStateReader {
public:
    // `url` none: ".codex/.codex-global-state.json" in the home folder; no navigation reader: the sidebar only.
    explicit CodexStateReader(std::optional<std::filesystem::path> url = std::nullopt,
        std::unique_ptr<CodexNavigationReading> navigationReader = nullptr);

    // Throws std::filesystem::filesystem_error, JSONParseError or ReaderError.
    CodexSnapshot read();
    std::optional<std::filesystem::path> activeNavigationLogURL() const;
    const std::filesystem::path& url() const { return url_; }

private:
    struct Attributes {
        std::optional<std::int64_t> modificationDate; // nanoseconds since 1970
        std::optional<std::uint64_t> byteCount;
        std::optional<std::uint64_t> fileNumber;
    };
    Attributes attributes() const;
    std::string contents() const;

    std::filesystem::path url_;
    std::unique_ptr<CodexNavigationReading> navigationReader_;
    std::optional<CodexSnapshot> cached_;
    Attributes cachedAttributes_;
    CodexSelectionResolver selectionResolver_;
};

} // namespace pellamor
