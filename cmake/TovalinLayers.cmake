# The layers, lowest first: engine (plain C++, no JUCE); presets and performance
# (headless, no GUI modules; performance may use presets); processor; editor.
# tovalin_check_layer(target layer ALLOWED folders... [BANNED regex]) makes target's
# build fail, naming the file and the include, when a file of the layer includes a
# folder not allowed to it or a banned <...> header.

function(tovalin_check_layer target layer)
  cmake_parse_arguments(PARSE_ARGV 2 CHECK "" "BANNED" "ALLOWED")
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    "${PROJECT_SOURCE_DIR}/${layer}/*.h" "${PROJECT_SOURCE_DIR}/${layer}/*.cpp" "${PROJECT_SOURCE_DIR}/${layer}/*.inc")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}-includes.checked")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} "-DROOT=${PROJECT_SOURCE_DIR}" "-DLAYER=${layer}" "-DALLOWED=${layer};${CHECK_ALLOWED}"
            "-DBANNED=${CHECK_BANNED}" "-DSTAMP=${stamp}" -P "${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake"
    DEPENDS ${sources} "${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake"
    COMMENT "Checking that ${layer}/ includes only down the layers"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_includes)
endfunction()

# Headers a headless layer must not include: the GUI modules.
set(TOVALIN_GUI_HEADERS "^juce_(gui_basics|gui_extra|graphics|audio_utils|opengl)/")
