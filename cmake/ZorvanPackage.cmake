# The Debian package, made from a configured build with `cpack -G DEB` (run in the build
# folder): zorvan-tests_<version>_<arch>.deb, installing under /usr what `cmake --install`
# installs. Dependencies: the shared libraries zorvan-check links, as dpkg-shlibdeps finds
# them (libssl3, libgcrypt20, libnettle8, libsodium23, ...), and the development files of what the
# core library links (zlib and simdjson for the gzip and JSON vector files), without which no
# project links it; recommended, what a project built against the
# package needs: a C++20 compiler, CMake or pkg-config to find it, and the development files
# of the crypto library behind each backend component, which the package config looks for
# only when that component is asked for.

set(CPACK_PACKAGE_NAME zorvan-tests)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Builders of known-answer and property tests for implementations of block ciphers,\n"
    "hashes and authenticated ciphers, a runner and a GoogleTest adapter, backends for OpenSSL,\n"
    "libgcrypt, nettle and libsodium, and zorvan-check, which tests those libraries against\n"
    "every installed vector.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "zorvan-tests maintainers <zorvan-tests@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zlib1g-dev, libsimdjson-dev")
set(zorvan_recommends "g++ (>= 12) | c++-compiler" "cmake (>= 3.25) | pkg-config")
set(zorvan_dev_package_openssl libssl-dev)
set(zorvan_dev_package_gcrypt libgcrypt20-dev)
set(zorvan_dev_package_nettle nettle-dev)
set(zorvan_dev_package_sodium libsodium-dev)
foreach(backend IN LISTS zorvan_installed_backends)
  list(APPEND zorvan_recommends ${zorvan_dev_package_${backend}})
endforeach()
list(JOIN zorvan_recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)

include(CPack)
