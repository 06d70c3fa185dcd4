#include "tests/support/FileOpsSwitch.h"

#include <atomic>

namespace {

std::atomic<files::FileOps*>& Installed() {
    static std::atomic<files::FileOps*> ops{nullptr};
    return ops;
}

}  // namespace

files::FileOps& files::Files() {
    FileOps* ops = Installed().load();
    return ops ? *ops : RealFiles();
}

files::FileOps* SwapFileOps(files::FileOps* ops) { return Installed().exchange(ops); }
