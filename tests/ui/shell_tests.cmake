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
    # Measured under wine: Qt's offscreen platform has no font database on Windows (every text
    # measures -1 pixels), and on the Windows platform under Xvfb the shell's windows do not
    # reliably become active in a fresh prefix. The whole window is tested offscreen there
    # instead (ui_windows_smoke).
    orvel_skipped_on_windows(ui_shell_tests
        "the shell's layout and focus tests need a font database and an active window, which wine offscreen does not give")
    return()
endif()
add_test(NAME ui_shell_tests COMMAND ui_shell_tests)
set_tests_properties(ui_shell_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
