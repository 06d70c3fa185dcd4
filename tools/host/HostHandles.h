// The host emulator owns its handles with the same small owner types as the
// plugin's framework.
#pragma once

#include "framework/Handles.h"

namespace host {

using fw::UniqueBitmap;
using fw::UniqueBrush;
using fw::UniqueFile;
using fw::UniqueMemoryDc;
using fw::UniqueModule;
using fw::UniqueWindow;
using fw::WindowDc;
using ScopedSelect = fw::SelectGuard;

}  // namespace host
