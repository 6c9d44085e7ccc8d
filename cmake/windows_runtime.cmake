# What a Windows build of the programs needs beside them: Qt's DLLs, the GCC runtime, and the
# plug-ins and translations Qt loads from the program's folder. They are copied into the build's
# bin folder, so the programs and the tests run from there under wine, and installed with the
# programs.
get_target_property(ORVEL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT ORVEL_QT_CORE_DLL)
    get_target_property(ORVEL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(ORVEL_QT_BIN ${ORVEL_QT_CORE_DLL} DIRECTORY)
get_filename_component(ORVEL_QT_PREFIX ${ORVEL_QT_BIN} DIRECTORY)

set(ORVEL_QT_DLLS Core Gui Widgets PrintSupport SerialPort Network)
if(ORVEL_RECORDS)
    list(APPEND ORVEL_QT_DLLS Sql)
endif()
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

# The records' drivers: SQLite for the bench's own file (built into the driver), PostgreSQL for
# a shared server, whose client library and its TLS libraries Windows loads from the program's
# folder.
set(ORVEL_RECORD_DLLS)
if(ORVEL_RECORDS)
    list(APPEND ORVEL_QT_PLUGINS sqldrivers/qsqlite.dll sqldrivers/qsqlpsql.dll)
    foreach(dll libpq.dll libssl-3-x64.dll libcrypto-3-x64.dll)
        if(NOT EXISTS ${ORVEL_QT_BIN}/${dll})
            message(FATAL_ERROR "${dll} is not in ${ORVEL_QT_BIN}: the records' PostgreSQL "
                                "driver needs it (the Qt for Windows with Qt SQL has it)")
        endif()
        list(APPEND ORVEL_RECORD_DLLS ${ORVEL_QT_BIN}/${dll})
    endforeach()
endif()

# Qt's own translations (file and print dialogs, standard buttons, edit menus): Qt looks for
# them in translations/ beside its DLLs. A Qt for Windows without them (the one cross-built
# here) borrows Debian's of the same version: a .qm file is the same on every system.
set(ORVEL_QT_TRANSLATIONS qtbase_zh_CN.qm)
find_path(ORVEL_QT_TRANSLATIONS_DIR qtbase_zh_CN.qm
          PATHS ${ORVEL_QT_PREFIX}/translations /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ORVEL_QT_TRANSLATIONS_DIR)
    message(FATAL_ERROR "Qt's translation qtbase_zh_CN.qm is neither in "
                        "${ORVEL_QT_PREFIX}/translations nor in /usr/share/qt6/translations "
                        "(Debian: qt6-translations-l10n)")
endif()
if(ORVEL_QT_TRANSLATIONS_DIR STREQUAL "/usr/share/qt6/translations")
    execute_process(COMMAND dpkg-query -W -f=\${Version} qt6-translations-l10n
                    OUTPUT_VARIABLE ORVEL_QT_TRANSLATIONS_VERSION ERROR_QUIET)
    if(NOT ORVEL_QT_TRANSLATIONS_VERSION MATCHES "^${Qt6Core_VERSION}[-+]")
        message(FATAL_ERROR "Debian's qt6-translations-l10n is "
                            "'${ORVEL_QT_TRANSLATIONS_VERSION}', Qt for Windows "
                            "${Qt6Core_VERSION}: the translations must be of the same version")
    endif()
endif()
list(TRANSFORM ORVEL_QT_TRANSLATIONS PREPEND ${ORVEL_QT_TRANSLATIONS_DIR}/)

file(COPY ${ORVEL_QT_DLLS} ${ORVEL_GCC_RUNTIME_DLLS} ${ORVEL_RECORD_DLLS} ${ORVEL_QT_BIN}/Qt6Test.dll
     DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
file(COPY ${ORVEL_QT_TRANSLATIONS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/translations)
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
