#include "settings/delimited_text.h"

namespace tessolo {

namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string Quoted(const std::string& item)
{
    std::string out(1, kQuote);
    for (char c : item) {
        if (c == kQuote)
            out += kQuote;
        out += c;
    }
    out += kQuote;
    return out;
}

// Reads the quoted item that starts at text[pos] and leaves pos after it.
std::string ReadQuotedItem(std::string_view text, std::size_t& pos)
{
    std::string item;
    ++pos;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c != kQuote) {
            item += c;
        } else if (pos < text.size() && text[pos] == kQuote) {
            item += kQuote;
            ++pos;
        } else {
            break;
        }
    }
    return item;
}

}  // namespace

std::string JoinDelimitedText(const std::vector<std::string>& items)
{
    if (items.size() == 1 && items[0].empty())
        return std::string(2, kQuote);
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        bool needsQuotes = false;
        for (char c : item)
            needsQuotes = needsQuotes || IsBlank(c) || c == kQuote || c == kDelimiter;
        if (i > 0)
            out += kDelimiter;
        out += needsQuotes ? Quoted(item) : item;
    }
    return out;
}

std::vector<std::string> SplitDelimitedText(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
    };
    skipBlanks();
    while (pos < text.size()) {
        if (text[pos] == kQuote) {
            items.push_back(ReadQuotedItem(text, pos));
        } else {
            std::size_t start = pos;
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != kDelimiter)
                ++pos;
            items.emplace_back(text.substr(start, pos - start));
        }
        skipBlanks();
        if (pos < text.size() && text[pos] == kDelimiter) {
            if (pos + 1 == text.size())
                items.emplace_back();
            ++pos;
            skipBlanks();
        }
    }
    return items;
}

}  // namespace tessolo
