# Debian packages of the install rules' components: `cpack -G DEB` in a build configured
# with -DCMAKE_INSTALL_PREFIX=/usr (tools/package does both). Package names follow Debian's
# layout: the libraries under their soname's package, their development files, the tool and
# the Python package apart.
set(ZT7_PACKAGE_MAINTAINER "zt7util developers <zt7util@example.org>"
    CACHE STRING "Maintainer field of the Debian packages")

# A library in a folder the loader searches anyway needs no rpath, and Debian's rules
# forbid one that points there.
if("${CMAKE_INSTALL_FULL_LIBDIR}" IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
  set_target_properties(zt7util_cli PROPERTIES INSTALL_RPATH "")
endif()

# Every package carries its copyright file and changelog where Debian expects them.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog
               @ONLY)
set(changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/packaging/changelog > ${changelog_gz}
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_target(zt7_changelog ALL DEPENDS ${changelog_gz})

set(components runtime dev tool python)
set(names libzt7util${PROJECT_VERSION_MAJOR} libzt7util-dev zt7util python3-zt7util)
foreach(component name IN ZIP_LISTS components names)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog_gz}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name} COMPONENT ${component}
          EXCLUDE_FROM_ALL)
endforeach()

# A file installed without a component would be in no package.
get_cmake_property(installed COMPONENTS)
list(REMOVE_ITEM installed ${components})
if(installed)
  message(FATAL_ERROR "install rules of component(s) ${installed}: give each one of ${components}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zt7util)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZT7_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${components})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The system's libraries by dpkg-shlibdeps; ours by the components' dependencies, exact,
# since the packages are built together.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= 3.11)")
# The loader's cache is renewed by dpkg's trigger (CPack adds a call of ldconfig besides).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/runtime/triggers)
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/python/postinst
    ${PROJECT_SOURCE_DIR}/packaging/python/prerm)

# Extended descriptions: lines of at most 80 characters.
set(about "Seals the data products of a single-crystal diffraction experiment (folders
of detector frames, HKL files, reflection files) with short integrity digests
and checks them later.")
set(libraries "\nlibzt7util, the module a host program loads")
if(TARGET zt7kit)
  string(APPEND libraries ",\nand libzt7kit, everything the zt7util tool does as a C interface")
endif()
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "integrity digests for diffraction data (libraries)
${about}

This package holds the shared libraries:${libraries}.")
set(CPACK_COMPONENT_DEV_DESCRIPTION "integrity digests for diffraction data (development files)
${about}

This package holds the C headers, the CMake package, the pkg-config files
and the manual pages of the C interfaces.")
set(CPACK_COMPONENT_TOOL_DESCRIPTION "seal and check diffraction data with integrity digests
${about}

This package holds the zt7util command-line tool, its manual page and its
bash completion.")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "integrity digests for diffraction data (Python 3)
${about}

This package holds the zt7util Python package, which calls the library.")

include(CPack)
