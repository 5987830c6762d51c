#pragma once
// Walking the records of a KAT folder read by KatFiles::readFolder.

#include <Test/KatFiles.hpp>
#include <Test/ParseNistKATs.hpp>

#include <cstddef>

namespace Test::KatFiles {

/// forEachRecord: calls visit(file, category, record, number) for every record of the folder's
/// files in order, number counting the file's records from 1 across its sections. Throws what
/// visit throws.
template <class Visit> void forEachRecord(const Folder& folder, Visit visit) {
    for (const KatFile& file : folder.files) {
        std::size_t number = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                visit(file, category, record, ++number);
            }
        }
    }
}

} // namespace Test::KatFiles
