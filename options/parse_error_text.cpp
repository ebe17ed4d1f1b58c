#include "parse_error_text.h"

#include "password_scrub.h"

std::string ScrubbedParseError(const std::string& message, const std::vector<std::string>& args) {
    // Each argument is read as a connection string, its passwords taken out whole first (one
    // may hold a space, where a key's value in free text is taken to end); then every key.
    std::string scrubbed = message;
    for (const std::string& arg : args) {
        scrubbed = ScrubPasswords(scrubbed, arg);
    }
    return ScrubPasswords(scrubbed, "");
}
