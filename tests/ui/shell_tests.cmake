# QtTest suite for the window shell; runs headless.
add_executable(ui_shell_tests
    ${CMAKE_CURRENT_LIST_DIR}/shell_tests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/list_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shell_tests.h
)
# The forms' headers come from orvel_ui_shell, which exports its generated include folder.
set_target_properties(ui_shell_tests PROPERTIES AUTOUIC OFF)
target_link_libraries(ui_shell_tests PRIVATE orvel_ui_shell Qt6::Test)
if(WIN32)
    target_sources(ui_shell_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows_test_support.cpp)
    # Qt's Windows platform on the script's X display: the offscreen one has no font database
    # under wine. One window test at a time holds the display (see tests/ui/CMakeLists.txt).
    add_test(NAME ui_shell_tests COMMAND ui_shell_tests -platform windows)
    set_tests_properties(ui_shell_tests PROPERTIES RUN_SERIAL ON TIMEOUT 300)
    return()
endif()
add_test(NAME ui_shell_tests COMMAND ui_shell_tests)
set_tests_properties(ui_shell_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# The forms at 200 %: texts are measured at twice the pixels there, and one that just fits at
# 100 % may round past its control.
add_test(NAME ui_shell_tests_200 COMMAND ui_shell_tests)
set_tests_properties(ui_shell_tests_200 PROPERTIES ENVIRONMENT
                     "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;ORVEL_SHELL_SUITE=form")
