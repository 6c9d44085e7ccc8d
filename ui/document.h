// The memory image the window works on: read from the radio or a file, written to either.
#pragma once

#include "memory_image.h"

struct Document {
    orvel::MemoryImage m_image{};
};
