#pragma once
// zorvan::reference: the types a differential test compares an implementation with, by the name
// of the algorithm alone: OpenSSL's libcrypto behind the library's interface, checked against
// every published vector the library holds and against libgcrypt, nettle and libsodium by
// zorvan-check --differential. Linked with the package's "reference" component:
//   find_package(zorvan_tests CONFIG REQUIRED COMPONENTS reference)
//   target_link_libraries(my_tests PRIVATE zorvan_tests::reference)

#include <zorvan/backends/openssl.hpp>
#include <zorvan/backends/openssl_aead.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/xts.hpp>

namespace zorvan::reference {

/// MD5 ... SHA512_256: the hashes (and, through zorvan::hmac, their HMAC).
using MD5 = openssl::MD5;
/// SHA1: SHA-1.
using SHA1 = openssl::SHA1;
/// SHA224: SHA-224.
using SHA224 = openssl::SHA224;
/// SHA256: SHA-256.
using SHA256 = openssl::SHA256;
/// SHA384: SHA-384.
using SHA384 = openssl::SHA384;
/// SHA512: SHA-512.
using SHA512 = openssl::SHA512;
/// SHA512_224: SHA-512/224.
using SHA512_224 = openssl::SHA512_224;
/// SHA512_256: SHA-512/256.
using SHA512_256 = openssl::SHA512_256;
/// SHA3_224 ... SHA3_512: SHA-3.
using SHA3_224 = openssl::SHA3_224;
/// SHA3_256: SHA3-256.
using SHA3_256 = openssl::SHA3_256;
/// SHA3_384: SHA3-384.
using SHA3_384 = openssl::SHA3_384;
/// SHA3_512: SHA3-512.
using SHA3_512 = openssl::SHA3_512;
/// SHAKE128, SHAKE256: the XOFs.
using SHAKE128 = openssl::SHAKE128;
/// SHAKE256: SHAKE256.
using SHAKE256 = openssl::SHAKE256;

/// AES128 ... Camellia256: block cipher keys, with every mode and its next IV.
using AES128 = openssl::AES128;
/// AES192: AES with 192-bit keys.
using AES192 = openssl::AES192;
/// AES256: AES with 256-bit keys.
using AES256 = openssl::AES256;
/// Camellia128: Camellia with 128-bit keys.
using Camellia128 = openssl::Camellia128;
/// Camellia192: Camellia with 192-bit keys.
using Camellia192 = openssl::Camellia192;
/// Camellia256: Camellia with 256-bit keys.
using Camellia256 = openssl::Camellia256;

/// AES128CMAC ... AES256CMAC: AES-CMAC.
using AES128CMAC = Cmac<openssl::AES128>;
/// AES192CMAC: AES-CMAC with 192-bit keys.
using AES192CMAC = Cmac<openssl::AES192>;
/// AES256CMAC: AES-CMAC with 256-bit keys.
using AES256CMAC = Cmac<openssl::AES256>;
/// AES128XTS, AES256XTS: XTS-AES (two 128-bit or two 256-bit keys).
using AES128XTS = Xts<openssl::AES128>;
/// AES256XTS: XTS-AES-256.
using AES256XTS = Xts<openssl::AES256>;

/// AES128GCM ... ChaCha20Poly1305: the AEADs.
using AES128GCM = openssl::AES128GCM;
/// AES192GCM: AES-GCM with 192-bit keys.
using AES192GCM = openssl::AES192GCM;
/// AES256GCM: AES-GCM with 256-bit keys.
using AES256GCM = openssl::AES256GCM;
/// AES128CCM: AES-CCM with 128-bit keys.
using AES128CCM = openssl::AES128CCM;
/// AES192CCM: AES-CCM with 192-bit keys.
using AES192CCM = openssl::AES192CCM;
/// AES256CCM: AES-CCM with 256-bit keys.
using AES256CCM = openssl::AES256CCM;
/// ChaCha20Poly1305: ChaCha20-Poly1305 (RFC 8439).
using ChaCha20Poly1305 = openssl::ChaCha20Poly1305;

} // namespace zorvan::reference
