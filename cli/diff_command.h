// orvelctl diff: what differs between two channel files, or between a file and the radio.
#pragma once

#include <QStringList>

#include "command_support.h"

namespace orvel::cli {

int RunDiff(const QStringList& arguments, Context& c);

}  // namespace orvel::cli
