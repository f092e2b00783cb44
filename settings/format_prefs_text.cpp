#include "settings/format_prefs_text.h"

#include "settings/delimited_text.h"
#include "settings/integer_text.h"

namespace tessolo {

std::string FormatPrefsToText(const TFormatPrefs& record)
{
    std::vector<std::string> items;
    for (const FormatPrefsField& field : kFormatPrefsFields)
        items.push_back(std::to_string(record.*field.member));
    return JoinDelimitedText(items);
}

std::optional<TFormatPrefs> FormatPrefsFromText(std::string_view text)
{
    std::vector<std::string> items = SplitDelimitedText(text);
    if (items.size() < kFormatPrefsFields.size())
        return std::nullopt;
    TFormatPrefs record;
    for (std::size_t i = 0; i < kFormatPrefsFields.size(); ++i) {
        std::optional<std::int32_t> value = ParseInt32(items[i]);
        if (!value)
            return std::nullopt;
        record.*kFormatPrefsFields[i].member = *value;
    }
    return record;
}

}  // namespace tessolo
