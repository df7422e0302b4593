#pragma once
// The program's shared texts live with the solve vocabulary, below the window logic.
#include "solver/texts.hpp"
