// The file operations of saving in test programs: the real ones until a test
// puts its own in their place. Only test programs link this; the plugin's
// library fixes the real ones (plugin/DllMain.cpp).
#pragma once

#include "lyrics/FileOps.h"

// Makes `ops` (null: the real ones) what files::Files() gives; returns the one before.
files::FileOps* SwapFileOps(files::FileOps* ops);
