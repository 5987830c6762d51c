#pragma once
// Test::KatOrigin: where a record of an installed KAT file comes from, as the failure of its
// test reports it.

#include <Test/ParseNistKATs.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <string_view>

namespace Test::KatOrigin {

/// recordOrigin: the origin of a record of the KAT file fileName in directory (relative to the
/// data directory, "Test/KAT_AES"): the file as "directory/fileName", the line where the
/// record starts, its number among the file's records (from 1, across its sections) and its
/// fields as the parser read them, moved out of the record when it is given as an rvalue.
/// Never fails beyond allocation.
zorvan::testing::VectorOrigin recordOrigin(std::string_view directory, std::string_view fileName,
                                           ParseNistKATs::KatRecord record, std::size_t number);

} // namespace Test::KatOrigin
