#pragma once
// VectorOrigin: where a known answer comes from, carried by the failure it causes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::testing {

/// VectorField: one field of a known-answer vector, its name and value as the data holds them.
struct VectorField {
    /// name: the field's name ("KEY", "Msg").
    std::string name;
    /// value: the field's value, as the file writes it.
    std::string value;

    /// operator==: the same name and value.
    friend bool operator==(const VectorField&, const VectorField&) = default;
};

/// VectorOrigin: the source of a known answer: its file relative to the data directory
/// ("Test/KAT_AES/CBCMMT128-e.rsp") or the document that prints it ("RFC 1321 A.5"), the line
/// where its record starts (0 where there is no line, as in a document), its number among the
/// file's records or the document's rows (from 1), and its fields in order.
struct VectorOrigin {
    /// file: the data file relative to the data directory, or the document's name.
    std::string file;
    /// line: where the record starts, from 1; 0 for a document.
    std::size_t line = 0;
    /// number: the record's or row's number, from 1.
    std::size_t number = 0;
    /// fields: the record's fields in the order they stand.
    std::vector<VectorField> fields;

    /// operator==: the same file, line, number and fields.
    friend bool operator==(const VectorOrigin&, const VectorOrigin&) = default;
};

/// describeOrigin: the origin as failure reports show it: "vector: FILE:LINE (record N)" (or
/// "vector: DOCUMENT, row N" without a line), then one "NAME = VALUE" line per field, each
/// indented by `indent`; values longer than a line are cut, with their length. Never fails
/// beyond allocation.
std::string describeOrigin(const VectorOrigin& origin, std::string_view indent);

} // namespace zorvan::testing
