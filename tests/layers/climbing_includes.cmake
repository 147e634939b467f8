# Builds the include probes of tests/layers in BUILD_DIR: the one that includes its own floor and the
# one below must compile; each one that climbs a floor must fail, on the header it climbed to.
function(build_probe target)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(status ${status} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

build_probe(korvex_probe_platform_own_floor)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a platform file that includes only platform and base headers failed:\n${output}")
endif()
foreach(probe "korvex_probe_platform_includes_core;core/runtime.hpp"
              "korvex_probe_core_includes_flow;flow/flow.hpp")
  list(GET probe 0 target)
  list(GET probe 1 header)
  build_probe(${target})
  if(status EQUAL 0)
    message(FATAL_ERROR "${target} compiled: its include of ${header} climbs a floor")
  endif()
  string(FIND "${output}" "${header}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${target} failed, but not on ${header}:\n${output}")
  endif()
endforeach()
