# Manual pages: zt7util(1) made from the tool's own help by help2man, with a section per
# subcommand from its --help, so that the page cannot drift from the tool; zt7util(3)
# written by hand; zt7kit(3), when that library is built, made from its header. All are
# installed compressed, as Debian keeps them.
find_program(HELP2MAN help2man REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(man_dir ${PROJECT_BINARY_DIR}/man)

set(subcommands ${man_dir}/zt7util.h2m)
add_custom_command(OUTPUT ${man_dir}/zt7util.1.gz
  COMMAND ${PROJECT_SOURCE_DIR}/tools/man/subcommands.sh $<TARGET_FILE:zt7util_cli> ${subcommands}
  COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
          "--name=seal and check diffraction data products with integrity digests"
          --include=${subcommands} --output=${man_dir}/zt7util.1 $<TARGET_FILE:zt7util_cli>
  COMMAND gzip -9nf ${man_dir}/zt7util.1
  DEPENDS zt7util_cli ${PROJECT_SOURCE_DIR}/tools/man/subcommands.sh
  VERBATIM)
set(pages ${man_dir}/zt7util.1.gz)

add_custom_command(OUTPUT ${man_dir}/zt7util.3.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/man/zt7util.3 ${man_dir}
  COMMAND gzip -9nf ${man_dir}/zt7util.3
  DEPENDS ${PROJECT_SOURCE_DIR}/man/zt7util.3)
list(APPEND pages ${man_dir}/zt7util.3.gz)

if(TARGET zt7kit)
  set(kit_header ${PROJECT_SOURCE_DIR}/include/zt7kit.h)
  set(kit_page_maker ${PROJECT_SOURCE_DIR}/tools/man/header_page.py)
  add_custom_command(OUTPUT ${man_dir}/zt7kit.3.gz
    COMMAND ${Python3_EXECUTABLE} ${kit_page_maker} ${kit_header} zt7kit ${PROJECT_VERSION}
            ${man_dir}/zt7kit.3
    COMMAND gzip -9nf ${man_dir}/zt7kit.3
    DEPENDS ${kit_header} ${kit_page_maker})
  list(APPEND pages ${man_dir}/zt7kit.3.gz)
endif()

file(MAKE_DIRECTORY ${man_dir})
add_custom_target(zt7_man_pages ALL DEPENDS ${pages})
install(FILES ${man_dir}/zt7util.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
list(REMOVE_ITEM pages ${man_dir}/zt7util.1.gz)
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT dev)
