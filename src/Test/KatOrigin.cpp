#include <Test/KatOrigin.hpp>

#include <string>

namespace Test::KatOrigin {

zorvan::testing::VectorOrigin recordOrigin(std::string_view directory, std::string_view fileName,
                                           const ParseNistKATs::KatRecord& record,
                                           std::size_t number) {
    zorvan::testing::VectorOrigin origin{
        .file = std::string(directory).append("/").append(fileName),
        .line = record.line(),
        .number = number,
        .fields = {},
    };
    origin.fields.reserve(record.fields.size());
    for (const ParseNistKATs::KatField& field : record.fields) {
        origin.fields.push_back({field.name, field.value});
    }
    return origin;
}

} // namespace Test::KatOrigin
