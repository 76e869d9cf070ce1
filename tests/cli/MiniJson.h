// A strict little JSON reader for checking what the command line prints. It accepts the
// JSON grammar (RFC 8259; \u escapes only below U+0800, which is all the command line
// writes) and throws std::runtime_error with the byte offset on anything else, so a test
// that parses the output also checks that it is JSON.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lw::test {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string; // UTF-8
    std::vector<JsonValue> array;
    std::vector<std::pair<std::string, JsonValue>> object; // in document order

    const JsonValue& operator[](const std::string& key) const {
        for (const auto& [k, v] : object)
            if (k == key)
                return v;
        throw std::runtime_error("no key " + key);
    }
    const JsonValue& operator[](std::size_t i) const {
        if (i >= array.size())
            throw std::runtime_error("no array element " + std::to_string(i));
        return array[i];
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (const auto& kv : object)
            out.push_back(kv.first);
        return out;
    }
};

class JsonParser {
public:
    static JsonValue parse(std::string_view text) {
        JsonParser p(text);
        JsonValue v = p.value();
        p.skipBlanks();
        if (p.m_pos != text.size())
            p.fail("text after the value");
        return v;
    }

private:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at byte " + std::to_string(m_pos));
    }
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool isDigit() const { return peek() >= '0' && peek() <= '9'; }
    void expect(char c) {
        if (peek() != c)
            fail(std::string("expected '") + c + "'");
        ++m_pos;
    }
    void skipBlanks() {
        while (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')
            ++m_pos;
    }
    bool take(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    // A list of items between open and close, separated by commas.
    template <class Item>
    void items(char close, Item item) {
        skipBlanks();
        if (peek() == close) {
            ++m_pos;
            return;
        }
        for (;;) {
            item();
            skipBlanks();
            if (peek() != ',')
                break;
            ++m_pos;
        }
        expect(close);
    }

    JsonValue value() {
        skipBlanks();
        JsonValue v;
        if (peek() == '{') {
            ++m_pos;
            v.type = JsonValue::Type::Object;
            items('}', [&] {
                skipBlanks();
                std::string key = string();
                skipBlanks();
                expect(':');
                v.object.emplace_back(std::move(key), value());
            });
        } else if (peek() == '[') {
            ++m_pos;
            v.type = JsonValue::Type::Array;
            items(']', [&] { v.array.push_back(value()); });
        } else if (peek() == '"') {
            v.type = JsonValue::Type::String;
            v.string = string();
        } else if (take("true")) {
            v.type = JsonValue::Type::Bool;
            v.boolean = true;
        } else if (take("false")) {
            v.type = JsonValue::Type::Bool;
        } else if (!take("null")) {
            v.type = JsonValue::Type::Number;
            v.number = number();
        }
        return v;
    }

    double number() {
        const std::size_t start = m_pos;
        take("-");
        if (!isDigit())
            fail("expected a value");
        if (!take("0"))
            while (isDigit())
                ++m_pos;
        if (take(".")) {
            if (!isDigit())
                fail("digits after the point");
            while (isDigit())
                ++m_pos;
        }
        if (take("e") || take("E")) {
            if (!take("+"))
                take("-");
            if (!isDigit())
                fail("digits in the exponent");
            while (isDigit())
                ++m_pos;
        }
        return std::stod(std::string(m_text.substr(start, m_pos - start)));
    }

    std::string string() {
        expect('"');
        std::string out;
        for (;;) {
            if (m_pos >= m_text.size())
                fail("unterminated string");
            const char c = m_text[m_pos++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                fail("raw control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                fail("unterminated escape");
            const char e = m_text[m_pos++];
            const std::string_view simple = "\"\\/bfnrt";
            const std::string_view meant = "\"\\/\b\f\n\r\t";
            if (const auto k = simple.find(e); k != std::string_view::npos) {
                out += meant[k];
            } else if (e == 'u' && m_pos + 4 <= m_text.size() &&
                       m_text.substr(m_pos, 4).find_first_not_of("0123456789abcdefABCDEF") ==
                           std::string_view::npos) {
                const unsigned cp = std::stoul(std::string(m_text.substr(m_pos, 4)), nullptr, 16);
                m_pos += 4;
                if (cp >= 0x800)
                    fail("\\u escape beyond U+07FF");
                if (cp < 0x80) {
                    out += static_cast<char>(cp);
                } else {
                    out += static_cast<char>(0xC0 | (cp >> 6));
                    out += static_cast<char>(0x80 | (cp & 0x3F));
                }
            } else {
                fail("bad escape");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

inline JsonValue parseJson(std::string_view text) {
    return JsonParser::parse(text);
}

} // namespace lw::test
