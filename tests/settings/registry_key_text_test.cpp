#include "settings/registry_key_text.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo";

RegistryValue Text(std::string_view text) { return {kRegString, {text.begin(), text.end()}}; }

std::string WithKey(std::string_view lines)
{
    return "REGEDIT4\n\n[" + std::string(kKey) + "]\n" + std::string(lines);
}

TEST(KeyFile, WritesEachTypeInExportForm)
{
    RegistryValues values;
    values.Set("Path", Text("C:\\a \"b\""));
    values.Set("Count", {kRegDword, {0x40, 0x01, 0x00, 0x00}});
    values.Set("Code", {kRegBinary, {0x05}});
    values.Set("Empty", {kRegBinary, {}});
    values.Set("Expand", {kRegExpandString, {'%', 'H', '%'}});
    values.Set("Lines", Text("a\nb"));
    values.Set("Short", {kRegDword, {0x01, 0x02}});
    EXPECT_EQ(FormatKeyFile(values, kKey), WithKey("\"Path\"=\"C:\\\\a \\\"b\\\"\"\n"
                                                   "\"Count\"=dword:00000140\n"
                                                   "\"Code\"=hex:05\n"
                                                   "\"Empty\"=hex:\n"
                                                   "\"Expand\"=hex(2):25,48,25\n"
                                                   "\"Lines\"=hex(1):61,0a,62\n"
                                                   "\"Short\"=hex(4):01,02\n"
                                                   "\n"));
}

TEST(KeyFile, EveryValueSurvivesAWriteAndRead)
{
    RegistryValues values;
    values.Set("plain", Text("/home/ann/sprites"));
    values.Set("utf8 \"name\"", Text("\xC3\xA9t\xC3\xA9 \\ \" end\\"));
    values.Set("empty", Text(""));
    values.Set("breaks", Text("a\r\nb"));
    values.Set("zero", {kRegString, {'a', 0, 'b'}});
    values.Set("negative", {kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}});
    values.Set("byte", {kRegBinary, {0xFF}});
    values.Set("none", {kRegBinary, {}});
    values.Set("qword", {0xB, {1, 2, 3, 4, 5, 6, 7, 8}});
    ParsedKeyFile parsed = ParseKeyFile(FormatKeyFile(values, kKey), kKey);
    EXPECT_EQ(parsed.problem, "");
    ASSERT_EQ(parsed.values.Entries().size(), values.Entries().size());
    for (std::size_t i = 0; i < values.Entries().size(); ++i) {
        EXPECT_EQ(parsed.values.Entries()[i].name, values.Entries()[i].name);
        EXPECT_EQ(parsed.values.Entries()[i].value, values.Entries()[i].value) << values.Entries()[i].name;
    }
}

TEST(KeyFile, AcceptsWhatAPersonOrAnotherToolMayWrite)
{
    std::string text = "\xEF\xBB\xBFREGEDIT4\r\n\r\n; my settings\r\n"
                       "[hkey_current_user\\software\\veltrand\\tessolo]\r\n"
                       "  \"Width\" = DWORD:1F4  \r\n"
                       "\"Bytes\"=hex:01,02,\\\r\n"
                       "  0A,ff\r\n"
                       "\"Twice\"=\"first\"\r\n"
                       "\"Other\"=hex(7):\r\n"
                       "\"TWICE\"=\"second\"\r\n";
    ParsedKeyFile parsed = ParseKeyFile(text, kKey);
    EXPECT_EQ(parsed.problem, "");
    ASSERT_EQ(parsed.values.Entries().size(), 4u);
    EXPECT_EQ(*parsed.values.Find("width"), (RegistryValue{kRegDword, {0xF4, 0x01, 0, 0}}));
    EXPECT_EQ(*parsed.values.Find("Bytes"), (RegistryValue{kRegBinary, {1, 2, 10, 255}}));
    EXPECT_EQ(*parsed.values.Find("Twice"), Text("second"));
    EXPECT_EQ(parsed.values.Entries()[2].name, "Twice");
    EXPECT_EQ(*parsed.values.Find("Other"), (RegistryValue{7, {}}));
}

TEST(KeyFile, AStoreOfTensOfThousandsOfValuesKeepsEachInPlace)
{
    constexpr int kCount = 50000;
    std::string lines;
    for (int i = 0; i < kCount; ++i)
        lines += "\"Value" + std::to_string(i) + "\"=hex:" + "0123456789abcdef"[i % 16] + "0\n";
    lines += "\"VALUE0\"=hex:ff\n\"value49999\"=\"last\"\n";
    ParsedKeyFile parsed = ParseKeyFile(WithKey(lines), kKey);
    EXPECT_EQ(parsed.problem, "");
    ASSERT_EQ(parsed.values.Entries().size(), std::size_t(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(parsed.values.Entries()[i].name, "Value" + std::to_string(i));
    EXPECT_EQ(*parsed.values.Find("value0"), (RegistryValue{kRegBinary, {0xFF}}));
    EXPECT_EQ(*parsed.values.Find("VALUE12345"), (RegistryValue{kRegBinary, {0x90}}));
    EXPECT_EQ(*parsed.values.Find("Value49999"), Text("last"));
    EXPECT_EQ(parsed.values.Find("Value50000"), nullptr);
}

TEST(KeyFile, SkipsAndCountsLinesItCannotUse)
{
    ParsedKeyFile parsed = ParseKeyFile(WithKey("\"Good\"=dword:00000001\n"
                                                "\"BadEscape\"=\"C:\\temp\"\n"           // line 5
                                                "\"Open\"=\"no end\n"
                                                "\"Long\"=dword:123456789\n"
                                                "\"Digits\"=hex:1,zz\n"
                                                "\"Trailing\"=hex:01,\n"
                                                "\"Deleted\"=-\n"
                                                "\"Junk\"=\"x\" y\n"
                                                "\"Type\"=hex(q):01\n"
                                                "garbage\n"
                                                "[HKEY_CURRENT_USER\\Software\\Other]\n"
                                                "\"Foreign\"=\"value\"\n"
                                                "[" + std::string(kKey) + "]\n"
                                                "\"Last\"=hex:02\n"
                                                "\"Cut\"=hex:01,\\"),
                                        kKey);
    EXPECT_EQ(parsed.problem, "12 lines cannot be used, the first is line 5");
    ASSERT_EQ(parsed.values.Entries().size(), 2u);
    EXPECT_NE(parsed.values.Find("Good"), nullptr);
    EXPECT_NE(parsed.values.Find("Last"), nullptr);

    EXPECT_EQ(ParseKeyFile("REGEDIT4\n\"Early\"=\"x\"\n", kKey).problem, "line 2 cannot be used");
}

TEST(KeyFile, RejectsAFileWithoutTheHeader)
{
    for (std::string_view text : {std::string_view(""), std::string_view("\n"),
                                  std::string_view("Windows Registry Editor Version 5.00\n"),
                                  std::string_view("\x89PNG\r\n\x1a\n\0\0", 10)}) {
        ParsedKeyFile parsed = ParseKeyFile(text, kKey);
        EXPECT_EQ(parsed.problem, "the file does not begin with REGEDIT4");
        EXPECT_TRUE(parsed.values.Entries().empty());
    }
}

}  // namespace
}  // namespace tessolo
