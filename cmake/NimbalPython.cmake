# Finds the CPython 3.12 the modules are built for, then pybind11.
# NIMBAL_PYTHON (or Python_EXECUTABLE) picks the interpreter; otherwise the
# pyenv 3.12 of these machines. Never falls back to another minor version.
set(NIMBAL_PYTHON "" CACHE FILEPATH "CPython 3.12 interpreter to build for")
if(NIMBAL_PYTHON)
  set(Python_EXECUTABLE "${NIMBAL_PYTHON}")
elseif(NOT Python_EXECUTABLE)
  set(_pyenv_root "$ENV{PYENV_ROOT}")
  if(NOT _pyenv_root)
    set(_pyenv_root "$ENV{HOME}/.pyenv")
  endif()
  file(GLOB _candidates "${_pyenv_root}/versions/3.12*/bin/python3.12")
  list(SORT _candidates COMPARE NATURAL ORDER DESCENDING)
  list(GET _candidates 0 _first)
  if(_candidates AND EXISTS "${_first}")
    set(Python_EXECUTABLE "${_first}")
  else()
    find_program(_sys_py312 python3.12)
    if(_sys_py312)
      set(Python_EXECUTABLE "${_sys_py312}")
    else()
      message(FATAL_ERROR
        "nimbal needs CPython 3.12: none found under ${_pyenv_root}/versions "
        "nor on PATH. Pass -DNIMBAL_PYTHON=/path/to/python3.12.")
    endif()
  endif()
endif()

set(Python_FIND_STRATEGY LOCATION)
find_package(Python 3.12 EXACT REQUIRED COMPONENTS Interpreter Development.Module)
if(NOT Python_VERSION_MAJOR EQUAL 3 OR NOT Python_VERSION_MINOR EQUAL 12)
  message(FATAL_ERROR "nimbal builds for CPython 3.12, got ${Python_VERSION} at ${Python_EXECUTABLE}")
endif()
message(STATUS "nimbal: building for ${Python_EXECUTABLE} (${Python_VERSION})")

set(PYBIND11_FINDPYTHON ON)
find_package(pybind11 2.10 CONFIG REQUIRED)

# The scripts run tests and examples with the interpreter the build is for.
file(WRITE "${CMAKE_BINARY_DIR}/python-interpreter" "${Python_EXECUTABLE}\n")
