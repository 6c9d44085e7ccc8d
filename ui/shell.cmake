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
    ${CMAKE_CURRENT_LIST_DIR}/caboutdialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/current_channel_dialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/mainform.ui
)
add_library(orvel_ui_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/caboutdialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/caboutdialog.h
    ${CMAKE_CURRENT_LIST_DIR}/chighlightlistctrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chighlightlistctrl.h
    ${CMAKE_CURRENT_LIST_DIR}/cmainframe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cmainframe.h
    ${CMAKE_CURRENT_LIST_DIR}/manual_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manual_page.h
    ${CMAKE_CURRENT_LIST_DIR}/text_field_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_field_keys.h
    ${CMAKE_CURRENT_LIST_DIR}/command_target.h
    ${CMAKE_CURRENT_LIST_DIR}/help_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_files.h
    ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_window.h
    ${CMAKE_CURRENT_LIST_DIR}/language.cpp
    ${CMAKE_CURRENT_LIST_DIR}/language.h
    ${CMAKE_CURRENT_LIST_DIR}/shell_resources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shell_resources.h
    ${CMAKE_CURRENT_LIST_DIR}/window_placement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_placement.h
    ${CMAKE_CURRENT_LIST_DIR}/window_actions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_actions.h
    ${CMAKE_CURRENT_LIST_DIR}/../res/orveltool.qrc
    ${ORVEL_SHELL_FORMS}
    ${ORVEL_TRANSLATION_SOURCE}
)
set_target_properties(orvel_ui_shell PROPERTIES AUTOUIC OFF)
# The generated form headers include chighlightlistctrl.h from this directory.
target_include_directories(orvel_ui_shell PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(orvel_ui_shell PUBLIC orvel_ops Qt6::Widgets Qt6::PrintSupport)

# The help commands open these files beside the program.
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    foreach(help_file help.txt ques.txt help_en.txt ques_en.txt)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/../res/${help_file}
                       ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${help_file} COPYONLY)
    endforeach()
endif()
