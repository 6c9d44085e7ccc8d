# The user manual beside the Windows program, where 帮助 > 使用手册 looks first
# (PROGRAM_FOLDER/manual/zh_CN/index.html, .../en/index.html) and where the installer's Start
# menu entry points. Included by windows.cmake; the manual is built on Linux (make manual, into
# out/manual) before make windows-installer, and a tree without it packs without a manual.
#
# The files, relative to the program folder:
#   manual/zh_CN/index.html and the chapters, search page, _static/, _images/ beside it
#   manual/en/index.html    likewise, in English
#   manual/orveltool-manual-zh_CN.pdf
#   manual/orveltool-manual-en.pdf
# The installer and the MSI add a Start menu entry "Orvel系列电台设置工具 使用手册" /
# "Orvel Series Radio Setup Tool Manual" (the MSI's English only) opening manual/zh_CN/index.html
# on a Chinese Windows and manual/en/index.html on any other, beside the program's own entry
# (a lone "Manual" there would not say whose); scripts/windows-installer gives them the manual
# only when these files are staged. The uninstallers remove it with the folder manual/.
set(ORVEL_MANUAL_DIR ${PROJECT_SOURCE_DIR}/out/manual CACHE PATH
    "The built user manual (make manual) that the installer and zip carry")
if(EXISTS ${ORVEL_MANUAL_DIR}/zh_CN/index.html AND EXISTS ${ORVEL_MANUAL_DIR}/en/index.html)
    install(DIRECTORY ${ORVEL_MANUAL_DIR}/ DESTINATION manual)
else()
    message(STATUS "No user manual in ${ORVEL_MANUAL_DIR} (make manual): packed without it")
endif()
