#include "board/phase_tables.hpp"

namespace qm {

PhaseTables phase;

}  // namespace qm
