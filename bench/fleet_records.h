// A fleet status's bookkeeping at 10 000 units against a store of records.
#pragma once

#include "record_keeper.h"

namespace orvel::bench {

// Prints the per-unit line; false when it failed or missed its 5 ms.
bool BenchFleetRecords(const RecordPlace& place, const char* engine);

}  // namespace orvel::bench
