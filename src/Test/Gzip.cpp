#include <Test/Gzip.hpp>

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace Test::Gzip {

namespace {

// zlib's 32 + 15: a gzip header and trailer around the largest window.
constexpr int gzipWindowBits = 16 + MAX_WBITS;

// Owns a zlib inflate stream for one call.
class Inflater {
public:
    Inflater() {
        if (inflateInit2(&stream_, gzipWindowBits) != Z_OK) {
            throw GzipError("zlib cannot start inflating");
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() { inflateEnd(&stream_); }

    z_stream& stream() noexcept { return stream_; }

private:
    z_stream stream_{};
};

std::string why(const z_stream& stream, const char* fallback) {
    return stream.msg != nullptr ? std::string(stream.msg) : std::string(fallback);
}

} // namespace

bool isGzipName(std::string_view fileName) noexcept {
    return fileName.ends_with(".gz");
}

std::string inflate(std::string_view stored, std::uint64_t limit) {
    Inflater inflater;
    z_stream& stream = inflater.stream();
    // zlib counts in uInt: feed the input in pieces it can count.
    constexpr std::size_t piece = std::numeric_limits<uInt>::max();
    const auto* next = reinterpret_cast<const Bytef*>(stored.data());
    std::size_t left = stored.size();
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        if (stream.avail_in == 0 && left > 0) {
            const std::size_t take = std::min(left, piece);
            stream.next_in = const_cast<Bytef*>(next);
            stream.avail_in = static_cast<uInt>(take);
            next += take;
            left -= take;
        }
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        const int status = ::inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof buffer - stream.avail_out;
        if (text.size() + produced > limit) {
            throw GzipError("it expands past " + std::to_string(limit) + " octets");
        }
        text.append(buffer, produced);
        if (status == Z_STREAM_END) {
            if (stream.avail_in == 0 && left == 0) {
                return text;
            }
            // Another member follows, as `cat a.gz b.gz` makes; anything else is refused by
            // the member's header check.
            if (inflateReset(&stream) != Z_OK) {
                throw GzipError(why(stream, "zlib cannot start the next member"));
            }
            continue;
        }
        // With room to write, zlib stops short only for want of input.
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && left == 0) {
            throw GzipError("the gzip stream ends before its end (" +
                            std::to_string(stored.size()) + " octets stored)");
        }
        if (status != Z_OK && (status != Z_BUF_ERROR || stream.avail_in != 0)) {
            throw GzipError("not a whole gzip stream: " + why(stream, "zlib refuses it"));
        }
    }
}

} // namespace Test::Gzip
