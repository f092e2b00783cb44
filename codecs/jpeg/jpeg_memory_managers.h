// Source and destination managers that let the library read a file image
// from memory and write the compressed file into a growing byte vector.
#pragma once

#include "codecs/jpeg/jpeg_error_manager.h"
#include "platform/bytes.h"

#include <span>

namespace tessolo {

// Reads `data`, which must outlive the decompression. Running out of data is
// a fatal error (premature end of input), so a truncated file is refused.
void AttachMemorySource(j_decompress_ptr cinfo, jpeg_source_mgr& source,
                        std::span<const std::uint8_t> data);

struct MemoryDestination {
    jpeg_destination_mgr library;  // first member: the library sees only this part
    Bytes* out;
};

// Writes into `out`, which holds exactly the compressed file once
// jpeg_finish_compress has returned. A failed allocation is a fatal error.
void AttachMemoryDestination(j_compress_ptr cinfo, MemoryDestination& destination, Bytes& out);

}  // namespace tessolo
