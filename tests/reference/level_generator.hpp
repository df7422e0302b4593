#pragma once
// Random tiny levels for checking the solver against the reference: rooms of 5 to 10 squares a
// side with scattered walls, 1 to 4 boxes and as many goals. Half are placed at random (many of
// them unsolvable, for reasons other than counts); half are made by pulling boxes away from their
// goals, so they are solvable.
#include <cstdint>
#include <random>
#include <string>

namespace qmref {

std::string generateLevel(std::mt19937_64& rng);

}  // namespace qmref
