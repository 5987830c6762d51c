// Fuzzes the gzip reading: the input (after its first octet) is either stored octets to
// inflate under a small limit, which must expand whole within it or be refused, or a text that
// deflated and inflated again must come back unchanged.

#include <Test/Gzip.hpp>

#include "fuzz_input.hpp"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using fuzz::require;

// The limit stored octets may expand to: small, so that a bomb is met in every run.
constexpr std::uint64_t limit = 1 << 16;

std::string deflated(std::string_view text) {
    z_stream stream{};
    require(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8,
                         Z_DEFAULT_STRATEGY) == Z_OK);
    std::string packed(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    require(deflate(&stream, Z_FINISH) == Z_STREAM_END);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const bool roundTrip = input.choose(2) == 1;
    const std::string_view text = input.rest();
    if (roundTrip) {
        const std::string packed = deflated(text);
        require(Test::Gzip::inflate(packed + packed, 2 * text.size()) ==
                std::string(text) + std::string(text));
        return 0;
    }
    try {
        require(Test::Gzip::inflate(text, limit).size() <= limit);
    } catch (const Test::Gzip::GzipError&) {
    }
    return 0;
}
