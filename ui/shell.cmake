# The window shell: the form, the channel list, the main frame, the dialogs' forms, the help
# commands and the resources. Included by ui/CMakeLists.txt; the view and main() link it.

# The forms are compiled here rather than by AUTOUIC, which only compiles a form that a source of
# the same target includes; users of the library include ui_mainform.h and
# ui_currentchanneldialog.h from the folder exported below.
qt_wrap_ui(ORVEL_SHELL_FORMS
    ${CMAKE_CURRENT_LIST_DIR}/aboutdialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/currentchanneldialog.ui
    ${CMAKE_CURRENT_LIST_DIR}/mainform.ui
)
add_library(orvel_ui_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/aboutdialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/aboutdialog.h
    ${CMAKE_CURRENT_LIST_DIR}/chighlightlistctrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chighlightlistctrl.h
    ${CMAKE_CURRENT_LIST_DIR}/cmainframe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cmainframe.h
    ${CMAKE_CURRENT_LIST_DIR}/command_target.h
    ${CMAKE_CURRENT_LIST_DIR}/form_layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_layout.h
    ${CMAKE_CURRENT_LIST_DIR}/help_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_files.h
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/shell_resources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shell_resources.h
    ${CMAKE_CURRENT_LIST_DIR}/../res/orveltool.qrc
    ${ORVEL_SHELL_FORMS}
)
set_target_properties(orvel_ui_shell PROPERTIES AUTOUIC OFF)
# The generated form headers include chighlightlistctrl.h from this directory.
target_include_directories(orvel_ui_shell PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(orvel_ui_shell PUBLIC Qt6::Widgets Qt6::PrintSupport)

# The help commands open these files beside the program.
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    foreach(help_file help.txt ques.txt)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/../res/${help_file}
                       ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${help_file} COPYONLY)
    endforeach()
endif()
