// A small strict JSON reader for checking written data: it accepts only what
// RFC 8259 allows and throws std::runtime_error at the first fault.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessolo::test {

struct JsonValue {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;                           // Array
    std::vector<std::pair<std::string, JsonValue>> members;  // Object, in file order

    // The member `key` of an object; throws when there is none.
    const JsonValue& operator[](std::string_view key) const
    {
        for (const auto& [name, value] : members)
            if (name == key)
                return value;
        throw std::runtime_error("no member " + std::string(key));
    }
};

class JsonReader {
public:
    static JsonValue Parse(std::string_view text)
    {
        JsonReader reader(text);
        JsonValue value = reader.Value();
        reader.Blanks();
        if (reader.at_ != text.size())
            reader.Fail("text after the value");
        return value;
    }

private:
    explicit JsonReader(std::string_view text) : text_(text) {}

    [[noreturn]] void Fail(const std::string& why) const
    {
        throw std::runtime_error("JSON: " + why + " at offset " + std::to_string(at_));
    }
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void Blanks()
    {
        while (at_ < text_.size() && std::string_view(" \t\n\r").find(text_[at_]) != std::string_view::npos)
            ++at_;
    }
    void Expect(char c)
    {
        Blanks();
        if (Peek() != c)
            Fail(std::string("expected '") + c + "'");
        ++at_;
    }
    bool Literal(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }

    JsonValue Value()
    {
        Blanks();
        JsonValue value;
        char c = Peek();
        if (c == '{') {
            value.kind = JsonValue::Object;
            ++at_;
            Blanks();
            if (Peek() == '}') {
                ++at_;
                return value;
            }
            do {
                Blanks();
                std::string key = String();
                Expect(':');
                value.members.emplace_back(std::move(key), Value());
                Blanks();
            } while (Peek() == ',' && ++at_);
            Expect('}');
        } else if (c == '[') {
            value.kind = JsonValue::Array;
            ++at_;
            Blanks();
            if (Peek() == ']') {
                ++at_;
                return value;
            }
            do
                value.items.push_back(Value());
            while ((Blanks(), Peek() == ',') && ++at_);
            Expect(']');
        } else if (c == '"') {
            value.kind = JsonValue::String;
            value.text = String();
        } else if (Literal("true") || Literal("false")) {
            value.kind = JsonValue::Bool;
            value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
        } else if (Literal("null")) {
            value.kind = JsonValue::Null;
        } else {
            value.kind = JsonValue::Number;
            value.number = Number();
        }
        return value;
    }

    double Number()
    {
        std::size_t start = at_;
        if (Peek() == '-')
            ++at_;
        if (Peek() == '0')
            ++at_;
        else if (!Digits())
            Fail("expected a value");
        if (Peek() == '.' && (++at_, !Digits()))
            Fail("digits expected after '.'");
        if ((Peek() == 'e' || Peek() == 'E') && (++at_, (Peek() == '+' || Peek() == '-') && ++at_, !Digits()))
            Fail("digits expected in the exponent");
        return std::stod(std::string(text_.substr(start, at_ - start)));
    }
    bool Digits()
    {
        std::size_t start = at_;
        while (Peek() >= '0' && Peek() <= '9')
            ++at_;
        return at_ > start;
    }

    std::string String()
    {
        if (Peek() != '"')
            Fail("expected a string");
        ++at_;
        std::string text;
        for (;;) {
            if (at_ >= text_.size())
                Fail("unterminated string");
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"')
                return text;
            if (c < 0x20)
                Fail("control character in a string");
            if (c != '\\') {
                text += char(c);
                continue;
            }
            const char escape = Peek();
            ++at_;
            switch (escape) {
            case '"': case '\\': case '/': text += escape; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'u': AppendUtf8(text, Hex4()); break;
            default: Fail("bad escape");
            }
        }
    }
    std::uint32_t Hex4()
    {
        if (at_ + 4 > text_.size())
            Fail("short \\u escape");
        std::uint32_t code = std::stoul(std::string(text_.substr(at_, 4)), nullptr, 16);
        at_ += 4;
        return code;
    }
    // Only the escapes the writer uses (below U+0080) need decoding here.
    void AppendUtf8(std::string& text, std::uint32_t code)
    {
        if (code >= 0x80)
            Fail("\\u escape above U+007F is not expected");
        text += char(code);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace tessolo::test
