#include <Test/DataSource.hpp>

#include <Test/KatFiles.hpp>
#include <Test/Manifest.hpp>
#include <data_path.hpp>

#include <Paths_zorvan_tests.hpp>

#include <filesystem>
#include <optional>
#include <system_error>

namespace Test {

// The manifest as read when the source was made: none, read, or an error kept for the first
// folder read, so that making a source never fails.
struct DataSource::ManifestState {
    std::optional<Manifest> manifest;
    std::string error;
};

DataSource::DataSource()
    : DataSource(Paths_zorvan_tests::getDataDir(), RecordLedger::Recording::open()) {}

DataSource::DataSource(std::string root, RecordLedger::Ledger* ledger)
    : root_(std::move(root)), ledger_(ledger),
      manifest_(readManifest(Paths_zorvan_tests::detail::joinDataPath(root_, manifestName))) {}

DataSource::DataSource(std::string root, RecordLedger::Ledger* ledger,
                       std::shared_ptr<const ManifestState> manifest)
    : root_(std::move(root)), ledger_(ledger), manifest_(std::move(manifest)) {}

DataSource DataSource::ignoringManifest(std::string root, RecordLedger::Ledger* ledger) {
    return {std::move(root), ledger, std::make_shared<const ManifestState>()};
}

std::string DataSource::path(std::string_view relativeName) const {
    return Paths_zorvan_tests::detail::joinDataPath(root_, relativeName);
}

const Manifest* DataSource::manifest() const {
    if (!manifest_->error.empty()) {
        throw ManifestError(manifest_->error);
    }
    return manifest_->manifest ? &*manifest_->manifest : nullptr;
}

std::shared_ptr<const DataSource::ManifestState> DataSource::readManifest(const std::string& path) {
    auto state = std::make_shared<ManifestState>();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        return state;
    }
    try {
        state->manifest = Manifest::parse(KatFiles::readStored(path), path);
    } catch (const std::exception& failure) {
        state->error = failure.what();
    }
    return state;
}

} // namespace Test
