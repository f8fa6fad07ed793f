# Install rules, the CMake package, the pkg-config files, the man page and the Debian package.
#
# Layout below the prefix:
#   bin/callsvc                                  RPATH $ORIGIN/<bin to lib>
#   <libdir>/libCallCommonSvc.so.<major>, libTmxHost.so.<major> (and the .so links)
#   include/callsvc/CallCommonSvc/...            the library's public headers, tree kept
#   include/callsvc/TmxHost.h                    the host's control API
#   <libdir>/cmake/CallCommonSvc/                find_package(CallCommonSvc)
#   <libdir>/pkgconfig/callcommonsvc.pc, tmxhost.pc
#   share/callsvc/                               data the program and the host read
#   share/man/man1/callsvc.1.gz
include(CMakePackageConfigHelpers)

set(CALLSVC_INCLUDE_INSTALL_DIR ${CMAKE_INSTALL_INCLUDEDIR}/callsvc)
set(CALLSVC_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/CallCommonSvc)
set(CALLSVC_PKGCONFIG_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(CALLSVC_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/callsvc)

# Debian packages the program needs at run time beyond the libraries it links, which
# dpkg-shlibdeps finds by itself (fonts, for instance).
set(CALLSVC_DEB_EXTRA_DEPENDS "fonts-dejavu-core" CACHE STRING
    "Debian packages the installed program needs besides those of its linked libraries")

# ---- Libraries and program -----------------------------------------------------------------

set_target_properties(callsvc PROPERTIES INSTALL_RPATH "${CALLSVC_INSTALL_RPATH_BIN}")
install(TARGETS CallCommonSvc TmxHost EXPORT CallCommonSvcTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS callsvc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# For the host's lookup of installed data relative to its own library.
file(RELATIVE_PATH CALLSVC_LIB_TO_DATA ${CMAKE_INSTALL_FULL_LIBDIR}
     ${CMAKE_INSTALL_PREFIX}/${CALLSVC_DATA_INSTALL_DIR})
target_compile_definitions(TmxHost PRIVATE TMXHOST_DATA_FROM_LIBDIR="${CALLSVC_LIB_TO_DATA}")

# ---- Headers -------------------------------------------------------------------------------

# Public: every header below CallCommonSvc/ (facade, exported classes and what they include,
# records, platform declarations, allocation routing), with its folder, so that their relative
# includes resolve; a header whose name ends in "Internal.h" stays with the sources. Of the host,
# the control API in Control/ (again without *Internal.h), at the top of the include folder.
file(GLOB_RECURSE CALLSVC_PUBLIC_HEADERS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/CallCommonSvc/*.h)
foreach(header IN LISTS CALLSVC_PUBLIC_HEADERS)
  if(NOT header MATCHES "Internal\\.h$")
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CALLSVC_INCLUDE_INSTALL_DIR}/${folder})
  endif()
endforeach()
install(FILES ${CALLSVC_GENERATED_INCLUDE}/CallCommonSvc/H/CallCommonSvcVersion.h
        DESTINATION ${CALLSVC_INCLUDE_INSTALL_DIR}/CallCommonSvc/H)
file(GLOB TMXHOST_PUBLIC_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/TmxHost/Control/*.h)
list(FILTER TMXHOST_PUBLIC_HEADERS EXCLUDE REGEX "Internal\\.h$")
install(FILES ${TMXHOST_PUBLIC_HEADERS} DESTINATION ${CALLSVC_INCLUDE_INSTALL_DIR})

# ---- Data ----------------------------------------------------------------------------------

# What the program and the host read at run time: the files of data/ at the top, and the
# host's JSON data files (the default theme) kept beside its sources.
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/data)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CALLSVC_DATA_INSTALL_DIR})
endif()
file(GLOB_RECURSE TMXHOST_DATA_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/TmxHost/*.json)
if(TMXHOST_DATA_FILES)
  install(FILES ${TMXHOST_DATA_FILES} DESTINATION ${CALLSVC_DATA_INSTALL_DIR})
endif()

# ---- CMake package -------------------------------------------------------------------------

install(EXPORT CallCommonSvcTargets NAMESPACE CallCommonSvc::
        DESTINATION ${CALLSVC_CMAKE_INSTALL_DIR})
configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/CallCommonSvcConfig.cmake.in
  ${PROJECT_BINARY_DIR}/generated/package/CallCommonSvcConfig.cmake
  INSTALL_DESTINATION ${CALLSVC_CMAKE_INSTALL_DIR}
  PATH_VARS CALLSVC_INCLUDE_INSTALL_DIR CALLSVC_DATA_INSTALL_DIR)
# A new major version may change the ABI (it is the SONAME's number).
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/generated/package/CallCommonSvcConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/generated/package/CallCommonSvcConfig.cmake
              ${PROJECT_BINARY_DIR}/generated/package/CallCommonSvcConfigVersion.cmake
        DESTINATION ${CALLSVC_CMAKE_INSTALL_DIR})

# ---- pkg-config ----------------------------------------------------------------------------

# Relocatable: the prefix is found from the .pc file's own folder, so a copied prefix or an
# unpacked package works as well as the place it was installed to.
file(RELATIVE_PATH CALLSVC_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CALLSVC_PKGCONFIG_INSTALL_DIR}
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" CALLSVC_PC_TO_PREFIX "${CALLSVC_PC_TO_PREFIX}")
foreach(pc callcommonsvc tmxhost)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/generated/package/${pc}.pc
                 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/generated/package/${pc}.pc DESTINATION ${CALLSVC_PKGCONFIG_INSTALL_DIR})
endforeach()

# ---- Man page ------------------------------------------------------------------------------

find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM)
  set(CALLSVC_MAN_PAGE ${PROJECT_BINARY_DIR}/man/callsvc.1)
  add_custom_command(
    OUTPUT ${CALLSVC_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env TMXHOST_TRACE= ${HELP2MAN_PROGRAM} --no-info --section=1
            "--name=run the call common service on the host platform"
            --output=${CALLSVC_MAN_PAGE} $<TARGET_FILE:callsvc>
    COMMAND gzip -9nf ${CALLSVC_MAN_PAGE}
    DEPENDS callsvc
    COMMENT "Man page for callsvc from its --help"
    VERBATIM)
  add_custom_target(callsvc_man ALL DEPENDS ${CALLSVC_MAN_PAGE}.gz)
  install(FILES ${CALLSVC_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: the callsvc man page is not built or installed")
endif()

# ---- Debian package (make package) ---------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME callcommonsvc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Call common service developers <callsvc@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "call common service library with its Linux host platform and the callsvc program")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Shared library for voice- and video-call applications (call control, DTMF, dial "
       "strings, caller identification, call settings, audio, timers) with the host platform "
       "that implements the phone platform's libraries on Linux, its headers, CMake package and "
       "pkg-config files, and the callsvc command-line program.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# Dependencies of the linked libraries come from dpkg-shlibdeps; others from the list above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
list(JOIN CALLSVC_DEB_EXTRA_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)
