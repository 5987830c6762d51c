// Fuzzes the format detection of a file a user brings: the input (after its first octet, which
// chooses the file's name) is the file's text. It is mapped to a format with an algorithm (or a
// record-start field), or refused with a FormatError that names the file.

#include <Test/VectorFormat.hpp>

#include "fuzz_input.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using fuzz::require;

constexpr std::array<std::string_view, 5> names{"prompt.json", "expectedResults.json",
                                                "internalProjection.json.gz", "vectors.json",
                                                "vectors.rsp"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string_view name = names[input.choose(names.size())];
    try {
        const auto detected = Test::VectorFormat::detect(name, std::string(input.rest()));
        if (detected.format == Test::VectorFormat::Format::cavpResponse) {
            require(!detected.recordStart.empty());
        } else {
            require(!detected.algorithm.empty());
        }
    } catch (const Test::VectorFormat::FormatError& error) {
        require(std::string_view(error.what()).starts_with(name));
    }
    return 0;
}
