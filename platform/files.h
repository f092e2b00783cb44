// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessolo {

using Bytes = std::vector<std::uint8_t>;

// Reads a whole file. Throws FileOpenError when it cannot be opened or read.
Bytes ReadFileBytes(const std::string& path);

// Writes `data` to a temporary file in the same folder, flushes it to disk and
// renames it over `path`, so a failed write never leaves a truncated file or
// destroys the previous one. Throws FileCreateError when the file cannot be
// created, and Error with the system's reason when a write fails.
void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace tessolo
