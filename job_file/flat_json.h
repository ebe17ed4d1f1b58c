// A JSON text read as one flat object: its members in file order, each a key and a scalar. What a
// job file is; nothing else reads JSON this way. Strict where the library is lenient: a key given
// twice is refused (the library would keep the last one, so a job could say one thing to a reader
// and another to the tools).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "result.h"

enum class JsonKind { Text, Boolean, Number, Null, Object, Array };

struct FlatMember {
    std::string key;
    JsonKind kind = JsonKind::Null;
    std::string text;  // Text: the value (UTF-8); Number: as written; Object, Array: empty
    bool boolean = false;
};

// The members of the text's one object. Refused: anything but an object, text that is not JSON or
// not UTF-8, a key twice. A byte order mark before the object is skipped. A nested object or array
// is kept as a member of that kind, its contents not looked at.
Result<std::vector<FlatMember>> ReadFlatObject(std::string_view text);

// "text", "true or false", "a number", "null", "an object", "an array": for refusals.
const char* KindName(JsonKind kind);
// The member's value as the file gave it, for refusals: "\"12G4\"", "true", "4660", "an object".
std::string ShownValue(const FlatMember& member);
