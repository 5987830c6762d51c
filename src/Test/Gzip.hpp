#pragma once
// Test::Gzip: vector files stored gzip-compressed, read back whole through zlib with a bound on
// what they may expand to, so that a small hostile file cannot fill the memory.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Test::Gzip {

/// GzipError: stored octets that do not expand to a whole gzip stream within the limit;
/// what() says why ("the stream ends before its end", "it expands past 1024 octets").
class GzipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// isGzipName: whether a file name ends in ".gz", the files read through inflate. Never fails.
bool isGzipName(std::string_view fileName) noexcept;

/// inflate: the text that the gzip members in stored (one or several, back to back) expand to.
/// Throws GzipError when stored is not gzip, is damaged or cut short (zlib checks each member's
/// CRC-32 and length), holds anything after its last member, or expands past limit octets.
std::string inflate(std::string_view stored, std::uint64_t limit);

} // namespace Test::Gzip
