// The panel of the bottom bar the oscilloscope is copied onto every frame.
#pragma once

#include "framework/Controls.h"

class COscilloscopePanel : public fw::CStatic {};
