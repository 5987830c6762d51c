#pragma once
// The catalogue of zorvan-check: every suite for every backend that was built.

#include <Test/AES.hpp>
#include <Test/MD5.hpp>

#include <zorvan/testing/test.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

/// SuiteEntry: one suite of one backend; build makes its tests (reading the KAT files).
struct SuiteEntry {
    std::string backend;
    std::string suite;
    std::function<std::vector<zorvan::testing::Test>()> build;
};

/// BackendInfo: a backend zorvan-check knows, and whether this build has it.
struct BackendInfo {
    std::string_view name;
    std::string_view library;
    bool built;
};

/// knownBackends: openssl, gcrypt and nettle, with whether each was built.
std::vector<BackendInfo> knownBackends();

/// builtSuites: every suite of every backend that was built, backend by backend.
std::vector<SuiteEntry> builtSuites();

/// addHashSuites: MD5, SHA-1 to SHA-512 and HMAC over SHA-1 to SHA-512 of one backend.
template <class MD5>
void addHashSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    entries.push_back({backend, "MD5", [] { return ::Test::MD5::makeMD5Tests<MD5>(); }});
}

/// addAESSuites: AES with each of the three key sizes of one backend.
template <class AES128, class AES192, class AES256>
void addAESSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    entries.push_back({backend, "AES128", [] { return ::Test::AES::makeAESTests<AES128>(); }});
    entries.push_back({backend, "AES192", [] { return ::Test::AES::makeAESTests<AES192>(); }});
    entries.push_back({backend, "AES256", [] { return ::Test::AES::makeAESTests<AES256>(); }});
}

void addOpenSSLSuites(std::vector<SuiteEntry>& entries);
void addGcryptSuites(std::vector<SuiteEntry>& entries);
void addNettleSuites(std::vector<SuiteEntry>& entries);

} // namespace zorvan::check
