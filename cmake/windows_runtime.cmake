# What a Windows build of the programs needs beside them: Qt's DLLs, the GCC runtime, and the
# plug-ins Qt loads from the program's folder. They are copied into the build's bin folder, so
# the programs and the tests run from there under wine, and installed with the programs.
get_target_property(ORVEL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT ORVEL_QT_CORE_DLL)
    get_target_property(ORVEL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(ORVEL_QT_BIN ${ORVEL_QT_CORE_DLL} DIRECTORY)
get_filename_component(ORVEL_QT_PREFIX ${ORVEL_QT_BIN} DIRECTORY)

set(ORVEL_QT_DLLS Core Gui Widgets PrintSupport SerialPort)
list(TRANSFORM ORVEL_QT_DLLS PREPEND ${ORVEL_QT_BIN}/Qt6)
list(TRANSFORM ORVEL_QT_DLLS APPEND .dll)

# The compiler's own runtime DLLs, found where this compiler keeps them.
set(ORVEL_GCC_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        find_file(found_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib /usr/x86_64-w64-mingw32/bin
                  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
        set(found ${found_${dll}})
    endif()
    if(NOT EXISTS "${found}")
        message(FATAL_ERROR "the GCC runtime ${dll} was not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    list(APPEND ORVEL_GCC_RUNTIME_DLLS ${found})
endforeach()

# Plug-in folder and DLL: the Windows platform (the window itself), the native style; the
# offscreen platform serves the tests only.
set(ORVEL_QT_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll)

file(COPY ${ORVEL_QT_DLLS} ${ORVEL_GCC_RUNTIME_DLLS} ${ORVEL_QT_BIN}/Qt6Test.dll
     DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(plugin ${ORVEL_QT_PLUGINS} platforms/qoffscreen.dll)
    get_filename_component(folder ${plugin} DIRECTORY)
    file(COPY ${ORVEL_QT_PREFIX}/plugins/${plugin}
         DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder})
endforeach()

# The icon and the version resource of a program, in its .exe.
function(orvel_windows_resources target description)
    set(ORVEL_ICON ${PROJECT_SOURCE_DIR}/res/orveltool.ico)
    set(ORVEL_RC_NAME ${target})
    set(ORVEL_RC_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/res/orveltool.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ORVEL_ICON})
endfunction()
