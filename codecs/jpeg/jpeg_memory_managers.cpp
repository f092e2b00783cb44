#include "codecs/jpeg/jpeg_memory_managers.h"

#include <new>
#include <stdexcept>

namespace tessolo {

namespace {

constexpr std::size_t kFirstOutputBlock = 64 * 1024;

void NothingToDo(j_decompress_ptr) {}

// Called only when every byte has been consumed.
boolean FailAtEndOfData(j_decompress_ptr cinfo)
{
    RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EOF);
    return FALSE;
}

void SkipData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer)
        RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EOF);
    source->next_input_byte += count;
    source->bytes_in_buffer -= std::size_t(count);
}

MemoryDestination& DestinationOf(j_compress_ptr cinfo)
{
    return *reinterpret_cast<MemoryDestination*>(cinfo->dest);
}

// Grows the output to `size` bytes and points the library at the new room
// after the `used` bytes already written. The exception of a failed
// allocation is caught here and turned into a library error outside the
// handler, so it never crosses the library's frames.
void ProvideRoom(j_compress_ptr cinfo, std::size_t used, std::size_t size)
{
    MemoryDestination& destination = DestinationOf(cinfo);
    bool grown = true;
    try {
        destination.out->resize(size);
    } catch (const std::bad_alloc&) {
        grown = false;
    } catch (const std::length_error&) {
        grown = false;
    }
    if (!grown)
        RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY,
                       "Not enough memory for the compressed file");
    destination.library.next_output_byte = destination.out->data() + used;
    destination.library.free_in_buffer = size - used;
}

void StartOutput(j_compress_ptr cinfo)
{
    ProvideRoom(cinfo, 0, kFirstOutputBlock);
}

// Called only when the whole buffer is full: double it.
boolean GrowOutput(j_compress_ptr cinfo)
{
    std::size_t used = DestinationOf(cinfo).out->size();
    ProvideRoom(cinfo, used, used * 2);
    return TRUE;
}

void FinishOutput(j_compress_ptr cinfo)
{
    MemoryDestination& destination = DestinationOf(cinfo);
    destination.out->resize(destination.out->size() - destination.library.free_in_buffer);
}

}  // namespace

void AttachMemorySource(j_decompress_ptr cinfo, jpeg_source_mgr& source,
                        std::span<const std::uint8_t> data)
{
    source.next_input_byte = data.data();
    source.bytes_in_buffer = data.size();
    source.init_source = NothingToDo;
    source.fill_input_buffer = FailAtEndOfData;
    source.skip_input_data = SkipData;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = NothingToDo;
    cinfo->src = &source;
}

void AttachMemoryDestination(j_compress_ptr cinfo, MemoryDestination& destination, Bytes& out)
{
    destination.out = &out;
    destination.library.init_destination = StartOutput;
    destination.library.empty_output_buffer = GrowOutput;
    destination.library.term_destination = FinishOutput;
    cinfo->dest = &destination.library;
}

}  // namespace tessolo
