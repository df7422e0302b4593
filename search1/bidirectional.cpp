#include "search1/bidirectional.hpp"

namespace qm {

MacroScratch macroScratch;

}  // namespace qm
