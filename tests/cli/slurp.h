// The whole of a small text file, for the command line's tests.
#pragma once

#include "platform/files.h"

#include <string>

namespace tessolo::test {

inline std::string Slurp(const std::string& path)
{
    Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace tessolo::test
