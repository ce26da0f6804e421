// What went wrong reading the assistant's state file, in words fit for the user: never a path nor a library's own
// sentence, since the text is also attached to feedback.
#pragma once

#include <exception>
#include <string>

namespace pellamor {

enum class CodexStateReadFailure { missing, unreadable, tooLarge, notJSON, unsupportedFormat };

// The kind of an error `CodexStateReader::read()` threw.
CodexStateReadFailure codexStateReadFailure(const std::exception& error);
std::string localizedDescription(CodexStateReadFailure failure);

} // namespace pellamor
