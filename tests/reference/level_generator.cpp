#include "reference/level_generator.hpp"

#include <vector>

namespace qmref {

namespace {

struct Room {
    int32_t w = 0, h = 0;
    std::vector<char> cells;  // '#', ' ', '.', '$', '*'; the pusher is kept apart
    int32_t pusher = -1;

    char& at(int32_t s) { return cells[static_cast<size_t>(s)]; }
    bool free(int32_t s) const {
        const char c = cells[static_cast<size_t>(s)];
        return c == ' ' || c == '.';
    }
};

int32_t uniform(std::mt19937_64& rng, int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
}

Room emptyRoom(std::mt19937_64& rng) {
    Room r;
    r.w = uniform(rng, 5, 10);
    r.h = uniform(rng, 5, 10);
    r.cells.assign(static_cast<size_t>(r.w * r.h), ' ');
    const int32_t wallPercent = uniform(rng, 0, 25);
    for (int32_t y = 0; y < r.h; ++y) {
        for (int32_t x = 0; x < r.w; ++x) {
            const bool border = x == 0 || y == 0 || x == r.w - 1 || y == r.h - 1;
            if (border || uniform(rng, 0, 99) < wallPercent) r.at(y * r.w + x) = '#';
        }
    }
    return r;
}

// A random free square, or -1 when none is left after a few tries.
int32_t freeSquare(std::mt19937_64& rng, const Room& r) {
    for (int32_t tries = 0; tries < 200; ++tries) {
        const int32_t s = uniform(rng, 0, r.w * r.h - 1);
        if (r.free(s) && s != r.pusher) return s;
    }
    return -1;
}

void placeAtRandom(std::mt19937_64& rng, Room& r, int32_t boxes) {
    for (int32_t k = 0; k < boxes; ++k) {
        const int32_t g = freeSquare(rng, r);
        if (g < 0) return;
        r.at(g) = '.';
        // A box on its goal now and then.
        const int32_t b = uniform(rng, 0, 5) == 0 ? g : freeSquare(rng, r);
        if (b < 0) return;
        r.at(b) = r.at(b) == '.' ? '*' : '$';
    }
    r.pusher = freeSquare(rng, r);
}

// The squares the pusher reaches.
std::vector<uint8_t> reach(const Room& r) {
    std::vector<uint8_t> seen(r.cells.size(), 0);
    std::vector<int32_t> stack{r.pusher};
    seen[static_cast<size_t>(r.pusher)] = 1;
    const int32_t step[4] = {-r.w, 1, r.w, -1};
    while (!stack.empty()) {
        const int32_t s = stack.back();
        stack.pop_back();
        for (const int32_t d : step) {
            const int32_t n = s + d;
            if (seen[static_cast<size_t>(n)] || !r.free(n)) continue;
            seen[static_cast<size_t>(n)] = 1;
            stack.push_back(n);
        }
    }
    return seen;
}

// Boxes on their goals, then random pulls: the pusher walks to a box's side and steps back,
// drawing the box after it. Every pull can be undone by a push, so the level is solvable.
void placeByPulls(std::mt19937_64& rng, Room& r, int32_t boxes) {
    std::vector<int32_t> box;
    for (int32_t k = 0; k < boxes; ++k) {
        const int32_t g = freeSquare(rng, r);
        if (g < 0) break;
        r.at(g) = '*';
        box.push_back(g);
    }
    r.pusher = freeSquare(rng, r);
    if (r.pusher < 0 || box.empty()) return;
    const int32_t step[4] = {-r.w, 1, r.w, -1};
    const int32_t pulls = uniform(rng, 5, 60);
    for (int32_t p = 0, tries = 0; p < pulls && tries < 20 * pulls; ++tries) {
        const std::vector<uint8_t> seen = reach(r);
        const size_t i = static_cast<size_t>(uniform(rng, 0, static_cast<int32_t>(box.size()) - 1));
        const int32_t d = step[uniform(rng, 0, 3)];
        const int32_t b = box[i], stand = b + d, back = b + 2 * d;
        if (!seen[static_cast<size_t>(stand)] || !r.free(back)) continue;
        r.at(b) = r.at(b) == '*' ? '.' : ' ';
        r.at(stand) = r.at(stand) == '.' ? '*' : '$';
        box[i] = stand;
        r.pusher = back;
        ++p;
    }
}

std::string text(const Room& r) {
    std::string out;
    for (int32_t y = 0; y < r.h; ++y) {
        for (int32_t x = 0; x < r.w; ++x) {
            const int32_t s = y * r.w + x;
            char c = r.cells[static_cast<size_t>(s)];
            if (s == r.pusher) c = c == '.' ? '+' : '@';
            out.push_back(c);
        }
        out.push_back('\n');
    }
    return out;
}

}  // namespace

std::string generateLevel(std::mt19937_64& rng) {
    Room room = emptyRoom(rng);
    const int32_t boxes = uniform(rng, 1, 4);
    if (uniform(rng, 0, 1) == 0) placeAtRandom(rng, room, boxes);
    else placeByPulls(rng, room, boxes);
    return text(room);
}

}  // namespace qmref
