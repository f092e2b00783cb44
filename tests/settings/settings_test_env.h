// Helpers for settings tests: environment overrides and store files.
#pragma once

#include "platform/files.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace tessolo::test {

// Sets (or, given nothing, unsets) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Apply(value);
    }
    ~ScopedEnv() { Apply(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Apply(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }

    const char* name_;
    std::optional<std::string> old_;
};

inline std::string ReadText(const std::string& path)
{
    Bytes bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void WriteText(const std::string& path, std::string_view text)
{
    WriteFileReplacing(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace tessolo::test
