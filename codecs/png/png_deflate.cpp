#include "codecs/png/png_deflate.h"

#include "platform/error.h"

#include <libdeflate.h>
#include <zopfli/zopfli.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace tessolo {

Bytes DeflateZlib(const Bytes& data, int level)
{
    struct FreeCompressor {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(libdeflate_alloc_compressor(level));
    if (!compressor)
        throw std::bad_alloc();
    Bytes packed(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    std::size_t size =
        libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), packed.data(), packed.size());
    if (size == 0)
        throw Error("Could not compress the image data");
    packed.resize(size);
    return packed;
}

Bytes DeflateZlibExhaustive(const Bytes& data)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char* out = nullptr;
    std::size_t size = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, data.data(), data.size(), &out, &size);
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(out, &std::free);
    if (!out)
        throw std::bad_alloc();
    return Bytes(out, out + size);
}

}  // namespace tessolo
