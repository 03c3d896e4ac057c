#pragma once
// Reading the engine's embedded content files (item texts, code texts).
#include <string>
#include <string_view>
#include <vector>

#include "framework_types.h"

// The texts of the embedded content file `name`, converted to code page 1250,
// in file order. The file holds, for each scale R I A S E C in turn,
// `perScale` lines of the form "<scale letter>|<text>|"; everything between
// the two bars is the text, blanks included. Lines that are empty or begin
// with "#" are comments. A missing or malformed file is a fault of the build
// and throws std::logic_error.
std::vector<std::string> ReadScaleTexts(std::string_view name, int perScale);
