# OCCT 7.6 from Debian. Its version file only matches 7.6.3 exactly, so find
# it without a version and check major.minor ourselves.
find_package(OpenCASCADE CONFIG REQUIRED
  COMPONENTS FoundationClasses ModelingData ModelingAlgorithms Visualization
             ApplicationFramework DataExchange)
if(NOT "${OpenCASCADE_MAJOR_VERSION}.${OpenCASCADE_MINOR_VERSION}" STREQUAL "7.6")
  message(FATAL_ERROR "nimbal needs OCCT 7.6, found ${OpenCASCADE_VERSION}")
endif()

add_library(nimbal_occt INTERFACE)
add_library(nimbal::occt ALIAS nimbal_occt)
# The imported targets carry no include directories; SYSTEM silences the
# kernel's own header warnings.
target_include_directories(nimbal_occt SYSTEM INTERFACE "${OpenCASCADE_INCLUDE_DIR}")
target_link_libraries(nimbal_occt INTERFACE
  TKernel TKMath TKG2d TKG3d TKGeomBase TKBRep TKGeomAlgo TKTopAlgo TKPrim
  TKBO TKBool TKShHealing TKFillet TKOffset
  TKXSBase TKSTEP TKSTEPBase TKIGES
  TKService TKV3d TKOpenGl)
