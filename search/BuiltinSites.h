// The sites table built into the plugin: resource RT_HTML 2002.
#pragma once

#include <string>

// The bytes of the table resource (decoded like a page by whoever reads it) of the module this code is linked into
// (the plugin DLL, or a test program that links the plugin's resources);
// empty when the module carries none.
std::string BuiltinSitesText();
