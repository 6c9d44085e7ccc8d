# The JSON library and GoogleTest: installed packages by default, or, where none are installed
# (Windows, the cross-build), a folder holding nlohmann/json.hpp and the GoogleTest sources,
# built together with the project.
set(ORVEL_JSON_INCLUDE "" CACHE PATH "A folder holding nlohmann/json.hpp, instead of the package")
set(ORVEL_GTEST_SOURCE "" CACHE PATH "GoogleTest sources to build with the project")

if(ORVEL_JSON_INCLUDE)
    if(NOT EXISTS ${ORVEL_JSON_INCLUDE}/nlohmann/json.hpp)
        message(FATAL_ERROR "ORVEL_JSON_INCLUDE: no nlohmann/json.hpp in ${ORVEL_JSON_INCLUDE}")
    endif()
    add_library(orvel_json INTERFACE)
    target_include_directories(orvel_json SYSTEM INTERFACE ${ORVEL_JSON_INCLUDE})
    add_library(nlohmann_json::nlohmann_json ALIAS orvel_json)
else()
    find_package(nlohmann_json 3 REQUIRED)
endif()

if(NOT BUILD_TESTING)
    # A release build (the packages) needs no test framework.
elseif(ORVEL_GTEST_SOURCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # MSVC: the same C runtime as the rest of the project.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${ORVEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)  # GoogleTest 1.12 and later name them so themselves
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
