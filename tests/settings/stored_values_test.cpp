// Every row of the store's table of values: damaged in each way its kind can
// be, and carried through a save and a load.
#include "settings/stored_values.h"

#include "settings/format_prefs_text.h"
#include "settings_test_env.h"
#include "support/testdata.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::ReadText;
using test::WriteText;

const std::string kSection = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo]\n";

// A row's value in a store, as text, so that rows of every kind compare alike.
std::string ValueText(const StoredValue& row, const OrvaneRegistry& store,
                      const FormatPrefsSet& records)
{
    switch (row.kind) {
    case StoredKind::String: return store.*row.textField;
    case StoredKind::Record: return FormatPrefsToText(records.*row.record);
    default: return std::to_string(row.NumberIn(store));
    }
}

std::string Hex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

// A number that `range` does not allow, just past its end.
std::int32_t OutsideOf(const ValueRange& range)
{
    if (range.only.empty())
        return range.max + 1;
    std::int32_t value = 0;
    while (range.Holds(value))
        ++value;
    return value;
}

// A number that `range` allows, other than `value`.
std::int32_t OtherThan(std::int32_t value, const ValueRange& range)
{
    if (!range.only.empty())
        return range.only.front() == value ? range.only.back() : range.only.front();
    if (range.min == kAnyNumber.min && range.max == kAnyNumber.max)
        return value + 7;
    return value == range.max ? range.min : range.max;
}

struct Damage {
    const StoredValue* row;
    std::string stored;  // what the store holds after the value's name and "="
    std::string named;   // what the warning must name
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << '"' << damage.row->name << "\"=" << damage.stored;
}

std::vector<Damage> EveryDamage()
{
    std::vector<Damage> damages;
    for (const StoredValue& row : kStoredValues) {
        const std::string name(row.name);
        auto add = [&](std::string stored, std::string named = {}) {
            damages.push_back({&row, std::move(stored), named.empty() ? name : named});
        };
        switch (row.kind) {
        case StoredKind::Byte:
        case StoredKind::Switch:
            add("dword:00000001");                                            // wrong type
            add("hex:" + Hex(std::uint32_t(OutsideOf(row.range)), 2));        // out of range
            add("hex:01,00");                                                 // too long
            add("hex:");                                                      // empty
            add("\"1\"");                                                     // text for a number
            break;
        case StoredKind::Dword:
            add("hex:05");
            add("dword:7fffffff");
            add("dword:" + Hex(std::uint32_t(row.range.min - 1), 8));
            add("hex(4):05,00");
            add("\"5\"");
            break;
        case StoredKind::String:
            add("dword:00000001");
            add("hex:41,42");  // bytes, not text
            break;
        case StoredKind::Record:
            add("dword:00000001");
            add("hex:41,42");
            for (std::size_t i = 0; i < kFormatPrefsFields.size(); ++i) {
                const ValueRange& range = row.fieldRanges[i];
                if (range.Holds(kAnyNumber.min) && range.Holds(kAnyNumber.max))
                    continue;
                TFormatPrefs record = FormatPrefsSet{}.*row.record;
                record.*kFormatPrefsFields[i].member = OutsideOf(range);
                add("\"" + FormatPrefsToText(record) + "\"",
                    name + " " + std::string(kFormatPrefsFields[i].name));
            }
            break;
        }
    }
    return damages;
}

class StoredValueDamage : public ::testing::TestWithParam<Damage> {
protected:
    test::TempDir dir;
    test::ScopedEnv home{"HOME", dir / "home"};
    std::string file = dir / "Tessolo.reg";
};

TEST_P(StoredValueDamage, IsNamedKeepsTheDefaultAndTheFileIsKeptAsBad)
{
    const Damage& damage = GetParam();
    const StoredValue& row = *damage.row;
    const std::string stored = kSection + "\"" + std::string(row.name) + "\"=" + damage.stored + "\n";
    WriteText(file, stored);

    FormatPrefsSet records, firstRecords;
    OrvaneRegistry store(records, {.storeFile = file, .saveOnDestruction = false});
    OrvaneRegistry firstRun(firstRecords,
                            {.storeFile = dir / "none.reg", .saveOnDestruction = false});
    EXPECT_NE(store.LoadWarning().find(": " + damage.named + " "), std::string::npos)
        << store.LoadWarning();
    EXPECT_EQ(ValueText(row, store, records), ValueText(row, firstRun, firstRecords));

    store.SaveSettings();
    EXPECT_EQ(ReadText(file + ".bad"), stored);
    FormatPrefsSet reloaded;
    OrvaneRegistry saved(reloaded, {.storeFile = file, .saveOnDestruction = false});
    EXPECT_EQ(saved.LoadWarning(), "");
}

INSTANTIATE_TEST_SUITE_P(EveryValue, StoredValueDamage, ::testing::ValuesIn(EveryDamage()),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.row->name) + "_" +
                                    std::to_string(info.index);
                         });

TEST(StoredValues, EveryRowSurvivesASaveAndLoadWithAValueOtherThanItsFirst)
{
    test::TempDir dir;
    test::ScopedEnv home{"HOME", dir / "home"};
    const std::string file = dir / "Tessolo.reg";
    std::vector<std::string> saved;
    {
        FormatPrefsSet records;
        OrvaneRegistry store(records, {.storeFile = file, .saveOnDestruction = false});
        for (const StoredValue& row : kStoredValues) {
            const std::string first = ValueText(row, store, records);
            switch (row.kind) {
            case StoredKind::String: store.*row.textField = "/" + std::string(row.name) + " \"x\""; break;
            case StoredKind::Record:
                for (std::size_t i = 0; i < kFormatPrefsFields.size(); ++i) {
                    std::int32_t& field = records.*row.record.*kFormatPrefsFields[i].member;
                    field = OtherThan(field, row.fieldRanges[i]);
                }
                break;
            default: row.NumberIn(store) = OtherThan(row.firstRun, row.range); break;
            }
            saved.push_back(ValueText(row, store, records));
            EXPECT_NE(saved.back(), first) << row.name;
        }
        store.SaveSettings();
    }
    FormatPrefsSet records;
    OrvaneRegistry store(records, {.storeFile = file, .saveOnDestruction = false});
    EXPECT_EQ(store.LoadWarning(), "");
    for (std::size_t i = 0; i < kStoredValues.size(); ++i)
        EXPECT_EQ(ValueText(kStoredValues[i], store, records), saved[i]) << kStoredValues[i].name;
}

}  // namespace
}  // namespace tessolo
