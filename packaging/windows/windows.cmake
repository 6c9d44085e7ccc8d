# The program folder of the Windows installer and zip (make windows-installer): the programs,
# Qt's DLLs with the plug-ins and translations they load, the GCC runtime, the help texts and
# the licences, all in one folder. Included by packaging/CMakeLists.txt on Windows.
install(TARGETS orveltool orvelctl RUNTIME DESTINATION .)
install(FILES ${ORVEL_QT_DLLS} ${ORVEL_GCC_RUNTIME_DLLS} ${ORVEL_RECORD_DLLS} DESTINATION .)
foreach(plugin ${ORVEL_QT_PLUGINS})
    get_filename_component(folder ${plugin} DIRECTORY)
    install(FILES ${ORVEL_QT_PREFIX}/plugins/${plugin} DESTINATION ${folder})
endforeach()
install(FILES ${ORVEL_QT_TRANSLATIONS} DESTINATION translations)
# The help commands open these beside the program.
install(FILES ${PROJECT_SOURCE_DIR}/res/help.txt ${PROJECT_SOURCE_DIR}/res/ques.txt
              ${PROJECT_SOURCE_DIR}/res/help_en.txt ${PROJECT_SOURCE_DIR}/res/ques_en.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt-notice.txt DESTINATION licenses RENAME Qt-NOTICE.txt)
if(ORVEL_RECORDS)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/records-notice.txt DESTINATION licenses
            RENAME Records-NOTICE.txt)
endif()
install(FILES /usr/share/common-licenses/LGPL-3 DESTINATION licenses RENAME LGPL-3.0.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION licenses RENAME GPL-3.0.txt)
include(${CMAKE_CURRENT_LIST_DIR}/manual.cmake)
