# The window shell: the form, the channel list, the main frame, the dialogs' forms, the help
# commands and the resources. Included by ui/CMakeLists.txt; the view and main() link it.

# The English translation: i18n/orveltool_en.ts compiled by the build machine's lrelease (Qt
# for Windows comes without the Linguist tools; the .qm is the same for every platform) and
# embedded as :/i18n/orveltool_en.qm. scripts/update-translations brings the .ts up to date.
find_program(ORVEL_LRELEASE NAMES lrelease lrelease-qt6
             HINTS /usr/lib/qt6/bin /usr/lib/qt6/libexec NO_CMAKE_FIND_ROOT_PATH)
if(NOT ORVEL_LRELEASE)
    message(FATAL_ERROR "lrelease not found: install qt6-l10n-tools (scripts/bootstrap)")
endif()
set(ORVEL_TS ${CMAKE_CURRENT_LIST_DIR}/../i18n/orveltool_en.ts)
set(ORVEL_QM_DIR ${CMAKE_CURRENT_BINARY_DIR}/i18n)
file(MAKE_DIRECTORY ${ORVEL_QM_DIR})
file(WRITE ${ORVEL_QM_DIR}/translations.qrc.in
     "<RCC><qresource prefix=\"/i18n\"><file>orveltool_en.qm</file></qresource></RCC>\n")
configure_file(${ORVEL_QM_DIR}/translations.qrc.in ${ORVEL_QM_DIR}/translations.qrc COPYONLY)
set(ORVEL_TRANSLATION_SOURCE ${ORVEL_QM_DIR}/qrc_translations.cpp)
add_custom_command(
    OUTPUT ${ORVEL_TRANSLATION_SOURCE}
    COMMAND ${ORVEL_LRELEASE} -silent ${ORVEL_TS} -qm ${ORVEL_QM_DIR}/orveltool_en.qm
    # The build machine's rcc may compress with zstd, which the Qt built for Windows cannot read.
    COMMAND Qt6::rcc --no-zstd --name translations -o ${ORVEL_TRANSLATION_SOURCE}
            ${ORVEL_QM_DIR}/translations.qrc
    DEPENDS ${ORVEL_TS} ${ORVEL_QM_DIR}/translations.qrc
    WORKING_DIRECTORY ${ORVEL_QM_DIR}
    COMMENT "Compiling the English translation"
    VERBATIM)
set_source_files_properties(${ORVEL_TRANSLATION_SOURCE} PROPERTIES SKIP_AUTOGEN ON)

# The forms are compiled here rather than by AUTOUIC, which only compiles a form that a source of
# the same target includes; users of the library include ui_mainform.h and
# ui_current_channel_dialog.h from the folder exported below.
qt_wrap_ui(ORVEL_SHELL_FORMS
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/caboutdialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/current_channel_dialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/window/mainform.ui
)
set(ORVEL_SHELL_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/window/chighlightlistctrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/chighlightlistctrl.h
    ${CMAKE_CURRENT_LIST_DIR}/window/cmainframe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/cmainframe.h
    ${CMAKE_CURRENT_LIST_DIR}/window/command_target.h
    ${CMAKE_CURRENT_LIST_DIR}/window/text_field_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/text_field_keys.h
    ${CMAKE_CURRENT_LIST_DIR}/window/window_actions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/window_actions.h
    ${CMAKE_CURRENT_LIST_DIR}/window/window_placement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/window_placement.h
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/caboutdialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/caboutdialog.h
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/help_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/help_window.h
    ${CMAKE_CURRENT_LIST_DIR}/support/help_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/help_files.h
    ${CMAKE_CURRENT_LIST_DIR}/support/language.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/language.h
    ${CMAKE_CURRENT_LIST_DIR}/support/manual_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/manual_page.h
    ${CMAKE_CURRENT_LIST_DIR}/support/shell_resources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/shell_resources.h
)
add_library(orvel_ui_shell STATIC
    ${ORVEL_SHELL_SOURCES}
    ${CMAKE_CURRENT_LIST_DIR}/../res/orveltool.qrc
    ${ORVEL_SHELL_FORMS}
    ${ORVEL_TRANSLATION_SOURCE}
)
source_group(TREE ${CMAKE_CURRENT_LIST_DIR} FILES ${ORVEL_SHELL_SOURCES})
set_target_properties(orvel_ui_shell PROPERTIES AUTOUIC OFF)
# Every folder of ui/ is on the include path (the generated form headers include
# chighlightlistctrl.h by its name), for the shell and the library and tests that build on it.
set(ORVEL_UI_FOLDERS window commands dialogs models support)
list(TRANSFORM ORVEL_UI_FOLDERS PREPEND ${CMAKE_CURRENT_LIST_DIR}/
     OUTPUT_VARIABLE ORVEL_UI_INCLUDES)
target_include_directories(orvel_ui_shell PUBLIC ${ORVEL_UI_INCLUDES} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(orvel_ui_shell PUBLIC orvel_ops Qt6::Widgets Qt6::PrintSupport)

# The help commands open these files beside the program.
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    foreach(help_file help.txt ques.txt help_en.txt ques_en.txt)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/../res/${help_file}
                       ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${help_file} COPYONLY)
    endforeach()
endif()
