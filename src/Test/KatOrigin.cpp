#include <Test/KatOrigin.hpp>

#include <string>
#include <utility>

namespace Test::KatOrigin {

zorvan::testing::VectorOrigin recordOrigin(std::string_view directory, std::string_view fileName,
                                           ParseNistKATs::KatRecord record, std::size_t number) {
    zorvan::testing::VectorOrigin origin{
        .file = std::string(directory).append("/").append(fileName),
        .line = record.line(),
        .number = number,
        .fields = {},
    };
    origin.fields.reserve(record.fields.size());
    for (ParseNistKATs::KatField& field : record.fields) {
        origin.fields.push_back({std::move(field.name), std::move(field.value)});
    }
    return origin;
}

} // namespace Test::KatOrigin
