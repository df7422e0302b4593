#pragma once
// The option dialog: time limit, trace speed and the batch options, and the start of a batch.
#include <cstddef>
#include <cstdint>

namespace qm {

constexpr size_t kRangeChars = 9;       // characters of "from", "to" and the time limit read
constexpr size_t kPathBytes = 259;      // longest report path taken (260 with its terminator)

// Shows the option dialog and returns when it is closed. Returns with windowState.batchFlag = 1
// when Batch Start accepted a range (batchSettings then holds it and the report file is ready).
void optionDialog();
// A control of the option dialog was used. A check box reports after its new state is set.
void optionDialogCommand(int32_t control);

}  // namespace qm
