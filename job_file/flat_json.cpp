#include "flat_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

using Json = nlohmann::json;

// Keeps the members of the outermost object; a value nested deeper only marks its member's kind.
// The parser reports through these calls and never throws to us: a refusal is recorded and the
// parse stopped by answering false.
class FlatReader : public nlohmann::json_sax<Json> {
public:
    std::vector<FlatMember> members;
    std::string problem;

    bool null() override { return Scalar(JsonKind::Null, ""); }
    bool boolean(bool value) override {
        if (depth_ == 1) {
            members.back().boolean = value;
        }
        return Scalar(JsonKind::Boolean, "");
    }
    bool number_integer(number_integer_t value) override {
        return Scalar(JsonKind::Number, std::to_string(value));
    }
    bool number_unsigned(number_unsigned_t value) override {
        return Scalar(JsonKind::Number, std::to_string(value));
    }
    bool number_float(number_float_t, const string_t& raw) override {
        return Scalar(JsonKind::Number, raw);
    }
    bool string(string_t& value) override { return Scalar(JsonKind::Text, value); }
    bool binary(binary_t&) override { return Scalar(JsonKind::Null, ""); }

    bool start_object(std::size_t) override { return Open(JsonKind::Object); }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(JsonKind::Array); }
    bool end_array() override { return Close(); }

    bool key(string_t& key) override {
        if (depth_ != 1) {
            return true;
        }
        bool twice = std::any_of(members.begin(), members.end(),
                                 [&](const FlatMember& member) { return member.key == key; });
        if (twice) {
            problem = "\"" + key + "\" is given twice";
            return false;
        }
        members.push_back(FlatMember{key, JsonKind::Null, "", false});
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& error) override {
        // The library's text begins with its own tag, "[json.exception.parse_error.101] ".
        std::string what = error.what();
        size_t tag = what.find("] ");
        problem = "not JSON: " + (tag == std::string::npos ? what : what.substr(tag + 2));
        return false;
    }

private:
    int depth_ = 0;

    bool Scalar(JsonKind kind, std::string text) {
        if (depth_ == 0) {
            problem = "not a JSON object";
            return false;
        }
        if (depth_ == 1) {
            members.back().kind = kind;
            members.back().text = std::move(text);
        }
        return true;
    }
    bool Open(JsonKind kind) {
        if (depth_ == 0 && kind != JsonKind::Object) {
            problem = "not a JSON object";
            return false;
        }
        if (depth_ == 1) {
            members.back().kind = kind;
        }
        depth_++;
        return true;
    }
    bool Close() {
        depth_--;
        return true;
    }
};

}  // namespace

Result<std::vector<FlatMember>> ReadFlatObject(std::string_view text) {
    // A byte order mark before the object is skipped by the library's lexer.
    FlatReader reader;
    if (!Json::sax_parse(text, &reader)) {
        return Fail(reader.problem.empty() ? std::string("not JSON") : reader.problem);
    }
    return std::move(reader.members);
}

const char* KindName(JsonKind kind) {
    switch (kind) {
        case JsonKind::Text:
            return "text";
        case JsonKind::Boolean:
            return "true or false";
        case JsonKind::Number:
            return "a number";
        case JsonKind::Null:
            return "null";
        case JsonKind::Object:
            return "an object";
        case JsonKind::Array:
            return "an array";
    }
    return "a value";
}

std::string ShownValue(const FlatMember& member) {
    switch (member.kind) {
        case JsonKind::Text:
            return "\"" + member.text + "\"";
        case JsonKind::Boolean:
            return member.boolean ? "true" : "false";
        case JsonKind::Number:
            return member.text;
        case JsonKind::Null:
        case JsonKind::Object:
        case JsonKind::Array:
            break;
    }
    return KindName(member.kind);
}
