# Install rules: the headers under <includedir>/zorvan-tests, the library and every backend that
# was built, the KAT data with its notices, the CMake package (find_package(zorvan_tests CONFIG))
# and pkg-config files. Included last from the top CMakeLists.txt, when ZORVAN_INSTALL is on:
# it installs only the targets defined by then.

include(CMakePackageConfigHelpers)

set(zorvan_include_destination "${CMAKE_INSTALL_INCLUDEDIR}/zorvan-tests")
set(zorvan_data_destination "${CMAKE_INSTALL_DATADIR}/zorvan-tests")
set(zorvan_cmake_destination "${CMAKE_INSTALL_LIBDIR}/cmake/zorvan_tests")
set(zorvan_pkgconfig_destination "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

# zorvan_describe_dependency(imported linked_from out_find out_pc_module): how the installed
# package finds an imported target again (a line of the package config, calling one of the
# _zorvan_tests_need macros that it defines) and its pkg-config module (empty for Threads,
# whose flags go into Libs). linked_from is the directory of the target that links it, where
# the results of its find_package can be read. An unknown kind stops the configuration:
# exporting it unfound would hand users a package that breaks in their build instead of ours.
function(zorvan_describe_dependency imported linked_from out_find out_pc_module)
  if(imported STREQUAL "Threads::Threads")
    set(find_line "_zorvan_tests_need_package(Threads)")
    set(pc_module "")
  elseif(imported MATCHES "^OpenSSL::(Crypto|SSL)$")
    set(component ${CMAKE_MATCH_1})
    get_directory_property(version DIRECTORY "${linked_from}" DEFINITION OPENSSL_VERSION)
    string(REGEX MATCH "^[0-9]+" major "${version}")
    set(find_line "_zorvan_tests_need_package(OpenSSL ${major} COMPONENTS ${component})")
    string(TOLOWER "lib${component}" pc_module)
  elseif(imported STREQUAL "ZLIB::ZLIB")
    set(find_line "_zorvan_tests_need_package(ZLIB)")
    set(pc_module "zlib")
  elseif(imported STREQUAL "simdjson::simdjson")
    set(find_line "_zorvan_tests_need_package(simdjson)")
    set(pc_module "simdjson")
  elseif(imported MATCHES "^PkgConfig::(.+)$")
    set(prefix ${CMAKE_MATCH_1})
    set(pc_module "${${prefix}_MODULE_NAME}")
    if(pc_module STREQUAL "")
      message(FATAL_ERROR "${imported}: no single pkg-config module is recorded for it; make it "
                          "with pkg_check_modules(${prefix} IMPORTED_TARGET <one module>)")
    endif()
    set(find_line "_zorvan_tests_need_pkg_config(${prefix} ${pc_module})")
  else()
    message(FATAL_ERROR "${imported} is linked by an installed target, but "
                        "cmake/ZorvanInstall.cmake does not know how the installed package "
                        "should find it; add it to zorvan_describe_dependency")
  endif()
  set(${out_find} "${find_line}" PARENT_SCOPE)
  set(${out_pc_module} "${pc_module}" PARENT_SCOPE)
endfunction()

# zorvan_link_closure(root <prefix>): follows what root links, directly or through the
# project's own targets, and sets <prefix>_targets (the project's own, root included),
# <prefix>_find_lines and <prefix>_pc_modules (for the imported ones) and <prefix>_threads
# (whether Threads is among them). Imported targets are recognised by their Name:: form, as
# those made in other directories are not visible here; build-only links such as
# $<BUILD_INTERFACE:...> are left out, as the export leaves them out.
function(zorvan_link_closure root prefix)
  set(pending ${root})
  set(targets)
  set(find_lines)
  set(pc_modules)
  set(threads FALSE)
  while(pending)
    list(POP_FRONT pending target)
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
      set(target ${aliased})
    endif()
    if(target IN_LIST targets)
      continue()
    endif()
    list(APPEND targets ${target})
    get_target_property(source_dir ${target} SOURCE_DIR)
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(private_links ${target} LINK_LIBRARIES)
      list(APPEND links ${private_links})
    endif()
    foreach(link IN LISTS links)
      if(TARGET "${link}")
        get_target_property(imported ${link} IMPORTED)
        if(NOT imported)
          list(APPEND pending ${link})
          continue()
        endif()
      elseif(NOT link MATCHES "^[A-Za-z0-9_]+::")
        continue()
      endif()
      zorvan_describe_dependency(${link} "${source_dir}" find_line pc_module)
      list(APPEND find_lines "${find_line}")
      list(APPEND pc_modules ${pc_module})
      if(link STREQUAL "Threads::Threads")
        set(threads TRUE)
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES find_lines)
  list(REMOVE_DUPLICATES pc_modules)
  set(${prefix}_targets ${targets} PARENT_SCOPE)
  set(${prefix}_find_lines ${find_lines} PARENT_SCOPE)
  set(${prefix}_pc_modules ${pc_modules} PARENT_SCOPE)
  set(${prefix}_threads ${threads} PARENT_SCOPE)
endfunction()

# pkg-config paths relative to the .pc file itself, so the installed tree can be moved.
file(RELATIVE_PATH zorvan_pc_prefix "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig"
     "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" zorvan_pc_prefix "${zorvan_pc_prefix}")
file(RELATIVE_PATH zorvan_pc_libdir "${CMAKE_INSTALL_PREFIX}" "${CMAKE_INSTALL_FULL_LIBDIR}")
file(RELATIVE_PATH zorvan_pc_includedir "${CMAKE_INSTALL_PREFIX}"
     "${CMAKE_INSTALL_FULL_INCLUDEDIR}")

# zorvan_write_pc_file(target pc_name description [REQUIRES modules...]): <pc_name>.pc for the
# library target. The given modules and the sanitizer flags are public; what the target links
# is public too for a static library, whose users link it as well, and private for a shared one.
function(zorvan_write_pc_file target pc_name description)
  cmake_parse_arguments(arg "" "" "REQUIRES" ${ARGN})
  zorvan_link_closure(${target} closure)
  set(linked_flags)
  if(closure_threads)
    set(linked_flags ${CMAKE_THREAD_LIBS_INIT})
  endif()
  set(public_modules ${arg_REQUIRES})
  set(private_modules)
  get_target_property(library ${target} OUTPUT_NAME)
  if(NOT library)
    set(library ${target})
  endif()
  set(public_flags "-L\${libdir}" "-l${library}" ${zorvan_installed_link_flags})
  set(private_flags)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    list(APPEND public_modules ${closure_pc_modules})
    list(APPEND public_flags ${linked_flags})
  else()
    list(APPEND private_modules ${closure_pc_modules})
    list(APPEND private_flags ${linked_flags})
  endif()
  list(JOIN public_modules " " zorvan_pc_requires)
  list(JOIN private_modules " " zorvan_pc_requires_private)
  list(JOIN public_flags " " zorvan_pc_libs)
  list(JOIN private_flags " " zorvan_pc_libs_private)
  set(zorvan_pc_name ${pc_name})
  set(zorvan_pc_description ${description})
  configure_file("${PROJECT_SOURCE_DIR}/cmake/zorvan-tests.pc.in"
                 "${PROJECT_BINARY_DIR}/pkgconfig/${pc_name}.pc" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/pkgconfig/${pc_name}.pc"
          DESTINATION ${zorvan_pkgconfig_destination})
endfunction()

# The core (the library and the backends' shared header-only part) in one export set, each
# backend that was built in its own, so that the package config loads a backend, and looks
# for the crypto library it links, only when that backend is asked for.
set(zorvan_core_targets)
set(zorvan_core_needs)
foreach(target IN ITEMS zorvan_tests zorvan_tests_backend_common)
  if(TARGET ${target})
    zorvan_link_closure(${target} closure)
    list(APPEND zorvan_core_targets ${closure_targets})
    list(APPEND zorvan_core_needs ${closure_find_lines})
  endif()
endforeach()
list(REMOVE_DUPLICATES zorvan_core_targets)
list(REMOVE_DUPLICATES zorvan_core_needs)
set(zorvan_install_targets ${zorvan_core_targets})
set(zorvan_installed_backends)
foreach(backend IN ITEMS openssl gcrypt nettle sodium)
  if(NOT TARGET zorvan_tests_${backend})
    continue()
  endif()
  list(APPEND zorvan_installed_backends ${backend})
  zorvan_link_closure(zorvan_tests_${backend} closure)
  list(REMOVE_ITEM closure_targets ${zorvan_core_targets})
  if(zorvan_core_needs)
    list(REMOVE_ITEM closure_find_lines ${zorvan_core_needs})
  endif()
  set(zorvan_${backend}_targets ${closure_targets})
  list(APPEND zorvan_install_targets ${closure_targets})
  list(JOIN closure_find_lines "\n" needs)
  file(WRITE "${PROJECT_BINARY_DIR}/cmake/zorvan_tests-${backend}-dependencies.cmake"
       "# What the ${backend} backend links, found again as the package config asks.\n${needs}\n")
endforeach()
list(JOIN zorvan_core_needs "\n" zorvan_config_dependencies)

# A sanitized build installs instrumented code, which links only with the sanitizer runtimes.
set(zorvan_installed_link_flags ${zorvan_sanitizer_flags})
list(FILTER zorvan_installed_link_flags INCLUDE REGEX "^-fsanitize=")
if(zorvan_installed_link_flags)
  foreach(target IN LISTS zorvan_install_targets)
    target_link_options(${target} INTERFACE $<INSTALL_INTERFACE:${zorvan_installed_link_flags}>)
  endforeach()
endif()

install(TARGETS ${zorvan_core_targets} EXPORT zorvan_tests_targets)
foreach(backend IN LISTS zorvan_installed_backends)
  install(TARGETS ${zorvan_${backend}_targets} EXPORT zorvan_tests_${backend}_targets)
  install(EXPORT zorvan_tests_${backend}_targets NAMESPACE zorvan_tests::
          FILE zorvan_tests-${backend}-targets.cmake DESTINATION ${zorvan_cmake_destination})
  install(FILES "${PROJECT_BINARY_DIR}/cmake/zorvan_tests-${backend}-dependencies.cmake"
          DESTINATION ${zorvan_cmake_destination})
endforeach()
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/" DESTINATION ${zorvan_include_destination})
foreach(target IN LISTS zorvan_install_targets)
  get_target_property(source_dir ${target} SOURCE_DIR)
  if(IS_DIRECTORY "${source_dir}/include")
    install(DIRECTORY "${source_dir}/include/" DESTINATION ${zorvan_include_destination})
  endif()
endforeach()

if(TARGET zorvan-check)
  install(TARGETS zorvan-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The KAT folders with their origin README and the vectors' notice, and the project's licence.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/Test" DESTINATION ${zorvan_data_destination})
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION ${zorvan_data_destination})

install(EXPORT zorvan_tests_targets NAMESPACE zorvan_tests:: FILE zorvan_tests-targets.cmake
        DESTINATION ${zorvan_cmake_destination})
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/zorvan_tests-config.cmake.in"
  "${PROJECT_BINARY_DIR}/cmake/zorvan_tests-config.cmake"
  INSTALL_DESTINATION ${zorvan_cmake_destination})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/cmake/zorvan_tests-config-version.cmake"
  COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/cmake/zorvan_tests-config.cmake"
              "${PROJECT_BINARY_DIR}/cmake/zorvan_tests-config-version.cmake"
        DESTINATION ${zorvan_cmake_destination})

zorvan_write_pc_file(zorvan_tests zorvan-tests "${PROJECT_DESCRIPTION}")
foreach(backend IN LISTS zorvan_installed_backends)
  zorvan_write_pc_file(zorvan_tests_${backend} zorvan-tests-${backend}
                       "zorvan-tests backend: the ${backend} primitives adapted to zorvan"
                       REQUIRES zorvan-tests)
endforeach()
