// The memory image the window works on: read from the radio or a file, written to either.
#pragma once

#include "memory_image.h"

struct Document {
    orvel::MemoryImage m_image{};
};

// What the technician edits in the window: the channel list and the radio-wide settings.
// Compared to tell unsaved work, kept to take a step back.
struct WorkState {
    orvel::ChannelTable table{};
    orvel::RadioSettings settings{};
    bool operator==(const WorkState&) const = default;
};
