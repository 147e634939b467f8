# The release: the runtime and the packer without symbols and debugging information, which no program
# reads, beside the README, the documentation and the examples. `cmake --install` lays it out in one
# folder and CPack packs that folder (a ZIP for Windows, a TGZ elsewhere). Included by the top-level
# CMakeLists once both programs are defined.

# Makes TARGET-stripped beside the target's program whenever the program is built again.
function(korvex_add_stripped_copy target)
  set(stripped ${CMAKE_BINARY_DIR}/${target}-stripped${CMAKE_EXECUTABLE_SUFFIX})
  if(CMAKE_STRIP)
    set(command ${CMAKE_STRIP} -o ${stripped} $<TARGET_FILE:${target}>)
  else()
    set(command ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${stripped})
  endif()
  add_custom_command(OUTPUT ${stripped} COMMAND ${command} DEPENDS ${target} VERBATIM)
  add_custom_target(${target}_stripped ALL DEPENDS ${stripped})
  set(KORVEX_STRIPPED_${target} ${stripped} PARENT_SCOPE)
endfunction()

korvex_add_stripped_copy(korvex)
korvex_add_stripped_copy(kxpack)
# The packer packs with the stripped runtime beside it by default.
add_dependencies(kxpack korvex_stripped)

# One folder: korvex and kxpack side by side, so that the installed packer finds the runtime (the
# stripped one, under the runtime's own name).
install(PROGRAMS ${KORVEX_STRIPPED_korvex} DESTINATION . RENAME korvex${CMAKE_EXECUTABLE_SUFFIX})
install(PROGRAMS ${KORVEX_STRIPPED_kxpack} DESTINATION . RENAME kxpack${CMAKE_EXECUTABLE_SUFFIX})
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
if(EXISTS ${CMAKE_SOURCE_DIR}/docs)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION docs)
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION examples)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(korvex_release_system win32)
  else()
    set(korvex_release_system win64)
  endif()
else()
  set(CPACK_GENERATOR TGZ)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" korvex_release_system)
endif()
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_FILE_NAME korvex-${PROJECT_VERSION}-${korvex_release_system})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korvex runtime and packer")
include(CPack)
