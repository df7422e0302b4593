#include "board/handover.hpp"

namespace qm {

Handover handover;

}  // namespace qm
