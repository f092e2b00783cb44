// Builders for hand-made PNG files; libpng (support/reference_decoders.h)
// checks what our encoder writes.
#pragma once

#include "platform/bytes.h"
#include "support/reference_decoders.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo::test {

// One framed chunk; the CRC comes from zlib's crc32, not from our codec.
Bytes Chunk(const std::string& type, const Bytes& data);
Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colorType, int interlace = 0);
// Signature followed by the chunks.
Bytes PngFile(const std::vector<Bytes>& chunks);
Bytes Deflate(const Bytes& raw, int level = 6);
Bytes Inflate(const Bytes& packed);
Bytes Concat(const std::vector<Bytes>& parts);

// A whole file: IHDR, the given extra chunks, one IDAT of `raw` (filter bytes
// included) and IEND.
Bytes SimplePng(std::uint32_t width, std::uint32_t height, int depth, int colorType, const Bytes& raw,
                const std::vector<Bytes>& extra = {}, int interlace = 0);

struct ChunkInfo {
    std::string type;
    Bytes data;
};
// The chunks of a file in order (the signature is skipped, CRCs ignored).
std::vector<ChunkInfo> ListChunks(const Bytes& file);

}  // namespace tessolo::test
