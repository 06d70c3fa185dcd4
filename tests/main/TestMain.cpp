// The test programs' entry point: GoogleTest's, except for the way out.
// Under load, Wine has been seen to hang for minutes in the exit of a test
// program whose tests had all passed (in the libraries' detach work); the
// plugin's own unload is tested through FreeLibrary, so the program leaves
// without that work, once its output is written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
