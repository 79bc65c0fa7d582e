# Every install destination is relative to the prefix, which is the
# site-packages directory the package goes into (the wheel's root), so the
# installed tree has the build tree's layout and the same $ORIGIN RPATHs.

# nimbal_core_library(<name> SOURCES ... [LINKS ...])
#   A shared core library in build/python/nimbal/.libs.
function(nimbal_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${A_LINKS})
  set_target_properties(${name} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY "${NIMBAL_LIB_DIR}"
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${name} LIBRARY DESTINATION nimbal/.libs COMPONENT python)
endfunction()

# nimbal_core_executable(<name> SOURCES ... [LINKS ...])
#   An executable beside the core libraries, installed with them.
function(nimbal_core_executable name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LINKS})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${NIMBAL_LIB_DIR}"
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${name} RUNTIME DESTINATION nimbal/.libs COMPONENT python)
endfunction()

# nimbal_python_module(<dotted.path> SOURCES ... LINKS ...)
#   The extension module nimbal.<dotted.path> at its place in the package tree.
function(nimbal_python_module dotted)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
  string(REPLACE "." ";" parts "${dotted}")
  list(POP_BACK parts leaf)
  set(subdir "nimbal")
  set(up "")
  foreach(p IN LISTS parts)
    string(APPEND subdir "/${p}")
    string(APPEND up "/..")
  endforeach()
  string(REPLACE "." "_" target "py_${dotted}")
  pybind11_add_module(${target} MODULE ${A_SOURCES})
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/python/include")
  target_link_libraries(${target} PRIVATE ${A_LINKS})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${leaf}"
    LIBRARY_OUTPUT_DIRECTORY "${NIMBAL_PY_ROOT}/${subdir}"
    INSTALL_RPATH "$ORIGIN${up}/.libs")
  install(TARGETS ${target} LIBRARY DESTINATION ${subdir} COMPONENT python)
endfunction()

# Copies the package's pure-Python files, type stubs and py.typed marker
# into the build tree, and installs them.
function(nimbal_copy_python_sources)
  file(GLOB_RECURSE pyfiles CONFIGURE_DEPENDS
       RELATIVE "${PROJECT_SOURCE_DIR}/python"
       "${PROJECT_SOURCE_DIR}/python/nimbal/*.py" "${PROJECT_SOURCE_DIR}/python/nimbal/*.pyi"
       "${PROJECT_SOURCE_DIR}/python/nimbal/py.typed")
  foreach(f IN LISTS pyfiles)
    configure_file("${PROJECT_SOURCE_DIR}/python/${f}" "${NIMBAL_PY_ROOT}/${f}" COPYONLY)
    get_filename_component(dir "${f}" DIRECTORY)
    install(FILES "${PROJECT_SOURCE_DIR}/python/${f}" DESTINATION "${dir}" COMPONENT python)
  endforeach()
endfunction()
