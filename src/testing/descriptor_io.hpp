#pragma once
// Whole reads and writes on file descriptors, resumed after signals and short transfers.

#include <cstddef>

namespace zorvan::testing::detail {

/// writeAll: writes all size bytes to fd. Returns false (errno says why, 0 when nothing could be
/// written) when a write fails.
bool writeAll(int fd, const void* data, std::size_t size);

/// readAll: reads exactly size bytes from fd. Returns false when a read fails or the input ends
/// first.
bool readAll(int fd, void* data, std::size_t size);

} // namespace zorvan::testing::detail
