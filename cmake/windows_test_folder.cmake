# Run as a script (cmake -DFROM=bin -DTO=folder -P): gives a Windows test program in a folder of
# its own what the programs have beside them in bin (Qt's DLLs, the GCC runtime, the plug-ins,
# translations and help files), as hard links where the file system allows, else as copies.
file(GLOB_RECURSE files RELATIVE ${FROM} ${FROM}/*)
foreach(file ${files})
    if(file MATCHES "\\.(exe|ini)$")
        continue()
    endif()
    get_filename_component(folder ${TO}/${file} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    if(NOT EXISTS ${TO}/${file})
        file(CREATE_LINK ${FROM}/${file} ${TO}/${file} COPY_ON_ERROR)
    endif()
endforeach()
