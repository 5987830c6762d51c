#pragma once
// Test::DataSource: where the file-based suites read their vectors. A value, handed to every
// folder reader and builder, that carries the data root, the manifest installed there and the
// record ledger; nothing reads the environment behind the caller's back once it is made.

#include <Test/RecordLedger.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace Test {

class Manifest;

/// DataSource: a data root (the folder that holds Test/KAT_*), the manifest found under it when
/// the source was made, and the ledger the suites note their records in, if any. Copies share
/// the manifest and the ledger.
class DataSource {
public:
    /// manifestName: where a data root keeps its manifest: per file, its path, size, SHA-256
    /// and record count. The installed data has one; a folder of one's own need not.
    static constexpr std::string_view manifestName = "Test/manifest.tsv";

    /// DataSource: the data directory as Paths_zorvan_tests::getDataDir finds it now
    /// ($zorvan_tests_datadir, then the installed data), noting in the ledger of the
    /// RecordLedger::Recording open on this thread, if any. Never fails beyond allocation; a
    /// manifest that cannot be read fails the first folder read from the source.
    DataSource();
    /// DataSource: the data under root, noting in ledger when it is given (it must outlive
    /// the source and its copies).
    explicit DataSource(std::string root, RecordLedger::Ledger* ledger = nullptr);

    /// ignoringManifest: the data under root read as it stands, without the manifest it may
    /// hold, noting in ledger when it is given: for describing data, and for testing with a
    /// file of one's own that lies under a data root without being part of its data.
    static DataSource ignoringManifest(std::string root, RecordLedger::Ledger* ledger = nullptr);

    /// root: the data root, as given.
    [[nodiscard]] const std::string& root() const noexcept { return root_; }
    /// path: the root joined with a relative name that uses '/' as
    /// Paths_zorvan_tests::getDataFileName joins them. Never fails beyond allocation.
    [[nodiscard]] std::string path(std::string_view relativeName) const;
    /// ledger: where the suites note their records; nullptr when none is kept.
    [[nodiscard]] RecordLedger::Ledger* ledger() const noexcept { return ledger_; }
    /// manifest: the manifest read under the root; nullptr when the root has none. Throws
    /// std::runtime_error naming the file and the line when it is there but cannot be read.
    [[nodiscard]] const Manifest* manifest() const;

private:
    struct ManifestState;
    DataSource(std::string root, RecordLedger::Ledger* ledger,
               std::shared_ptr<const ManifestState> manifest);
    static std::shared_ptr<const ManifestState> readManifest(const std::string& path);

    std::string root_;
    RecordLedger::Ledger* ledger_;
    std::shared_ptr<const ManifestState> manifest_;
};

} // namespace Test
