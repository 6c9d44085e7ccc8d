# The Windows cross-build against Qt's DLLs: Qt's own toolchain file chain-loads this one
# (-DQT_CHAINLOAD_TOOLCHAIN_FILE). The compiler, search paths and wine as in
# mingw-w64-x86_64.cmake, but the GCC runtime as DLLs: Qt's DLLs use them, and one copy of
# the C++ runtime in the process is one heap and one exception model.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
# GCC 12's optimiser warns of overlapping copies inside std::string's operator+ that cannot
# happen (GCC bug 105329); the release build is optimised, the Linux test build is not.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
