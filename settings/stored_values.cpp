#include "settings/stored_values.h"

#include "platform/text_list.h"

#include <vector>

namespace tessolo {

std::string RangeText(const ValueRange& range)
{
    if (range.only.empty())
        return "from " + std::to_string(range.min) + " to " + std::to_string(range.max);
    std::vector<std::string> values;
    for (std::int32_t value : range.only)
        values.push_back(std::to_string(value));
    return "one of " + JoinAlternatives(values, " or ");
}

SheetOptions::SheetOptions()
{
    for (const StoredValue& row : kStoredValues)
        if (row.sheetField)
            this->*row.sheetField = row.firstRun;
}

}  // namespace tessolo
