#pragma once
// The engine's content files (engine/data/*.txt, UTF-8), compiled into the program.
#include <span>

#include "embedded.h"

std::span<const TEmbeddedFile> EngineDataFiles();
