// Parses arbitrary store files, class lists and record texts, and checks that
// whatever was read survives a write and a second read unchanged.
#include "settings/delimited_text.h"
#include "settings/format_prefs_text.h"
#include "settings/registry_key_text.h"

#include <cstdlib>

using namespace tessolo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr std::string_view key = "HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo";
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ParsedKeyFile parsed = ParseKeyFile(text, key);
    // What was read must survive a write and a second read unchanged.
    ParsedKeyFile again = ParseKeyFile(FormatKeyFile(parsed.values, key), key);
    if (!again.problem.empty() || again.values.Entries().size() != parsed.values.Entries().size())
        abort();
    for (size_t i = 0; i < again.values.Entries().size(); ++i)
        if (!(again.values.Entries()[i].value == parsed.values.Entries()[i].value) ||
            again.values.Entries()[i].name != parsed.values.Entries()[i].name)
            abort();
    std::vector<std::string> items = SplitDelimitedText(text);
    if (SplitDelimitedText(JoinDelimitedText(items)) != items)
        abort();
    (void)FormatPrefsFromText(text);
    return 0;
}
