// Whether a Windows test runs under wine (windows_test_support.cpp), for the few cases that
// play what wine does otherwise than Windows: those are skipped there, with their reason, and
// run on Windows itself.
#pragma once

namespace orvel::test {

#ifdef _WIN32
bool UnderWine();
#else
inline bool UnderWine() {
    return false;
}
#endif

}  // namespace orvel::test
