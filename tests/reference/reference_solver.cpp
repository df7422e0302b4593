#include "reference/reference_solver.hpp"

#include <algorithm>
#include <utility>
#include <deque>
#include <unordered_set>


namespace qmref {

namespace {

constexpr int32_t kMaxReferenceBoxes = 4;
constexpr int32_t kMaxReferenceSquares = 256;  // a square fits in one byte of the state key

// Sorts the first n box squares, so that equal box sets give equal keys.
void sortBoxes(int32_t* boxes, int32_t n) {
    for (int32_t i = 1; i < n; ++i) {
        for (int32_t j = i; j > 0 && boxes[j - 1] > boxes[j]; --j) std::swap(boxes[j - 1], boxes[j]);
    }
}

struct State {
    int32_t boxes[kMaxReferenceBoxes];
    int32_t pusher;  // smallest square of the pusher's region
    int32_t pushes;
};

class Solver {
public:
    explicit Solver(const ReferenceLevel& level) : level_(level), n_(static_cast<int32_t>(level.boxes.size())) {
        const int32_t w = level.width;
        step_[0] = -w;
        step_[1] = 1;
        step_[2] = w;
        step_[3] = -1;
    }

    ReferenceAnswer solve(int64_t stateLimit) {
        State start{};
        for (int32_t i = 0; i < n_; ++i) start.boxes[i] = level_.boxes[static_cast<size_t>(i)];
        sortBoxes(start.boxes, n_);
        std::vector<uint8_t> region;
        start.pusher = fillRegion(start, level_.pusher, region);
        std::deque<State> queue{start};
        std::unordered_set<uint64_t> seen{key(start)};
        while (!queue.empty()) {
            const State s = queue.front();
            queue.pop_front();
            if (solved(s)) return {Verdict::kSolvable, s.pushes};
            fillRegion(s, s.pusher, region);
            for (int32_t i = 0; i < n_; ++i) {
                for (int32_t d = 0; d < 4; ++d) {
                    const int32_t b = s.boxes[i];
                    const int32_t behind = b - step_[d], target = b + step_[d];
                    if (!region[static_cast<size_t>(behind)] || blocked(s, target)) continue;
                    State next = s;
                    next.boxes[i] = target;
                    sortBoxes(next.boxes, n_);
                    next.pushes = s.pushes + 1;
                    std::vector<uint8_t> nextRegion;
                    next.pusher = fillRegion(next, b, nextRegion);
                    if (!seen.insert(key(next)).second) continue;
                    if (static_cast<int64_t>(seen.size()) > stateLimit) return {};
                    queue.push_back(next);
                }
            }
        }
        return {Verdict::kUnsolvable, -1};
    }

private:
    bool isBox(const State& s, int32_t square) const {
        for (int32_t i = 0; i < n_; ++i) {
            if (s.boxes[i] == square) return true;
        }
        return false;
    }
    bool blocked(const State& s, int32_t square) const {
        return level_.wall[static_cast<size_t>(square)] != 0 || isBox(s, square);
    }
    bool solved(const State& s) const {
        for (int32_t i = 0; i < n_; ++i) {
            if (!level_.goal[static_cast<size_t>(s.boxes[i])]) return false;
        }
        return true;
    }
    // Marks the pusher's region from start; returns its smallest square.
    int32_t fillRegion(const State& s, int32_t start, std::vector<uint8_t>& region) const {
        region.assign(level_.wall.size(), 0);
        std::vector<int32_t> stack{start};
        region[static_cast<size_t>(start)] = 1;
        int32_t smallest = start;
        while (!stack.empty()) {
            const int32_t q = stack.back();
            stack.pop_back();
            smallest = std::min(smallest, q);
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t m = q + step_[d];
                if (region[static_cast<size_t>(m)] || blocked(s, m)) continue;
                region[static_cast<size_t>(m)] = 1;
                stack.push_back(m);
            }
        }
        return smallest;
    }
    uint64_t key(const State& s) const {
        uint64_t k = static_cast<uint64_t>(s.pusher);
        for (int32_t i = 0; i < n_; ++i) k = (k << 8) | static_cast<uint64_t>(s.boxes[i]);
        return k;
    }

    const ReferenceLevel& level_;
    const int32_t n_;
    int32_t step_[4];
};

}  // namespace

ReferenceLevel referenceFromText(const std::string& text) {
    std::vector<std::string> rows;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) rows.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ReferenceLevel r;
    r.height = static_cast<int32_t>(rows.size());
    for (const std::string& row : rows) r.width = std::max(r.width, static_cast<int32_t>(row.size()));
    const size_t cells = static_cast<size_t>(r.width * r.height);
    r.wall.assign(cells, 1);
    r.goal.assign(cells, 0);
    for (int32_t y = 0; y < r.height; ++y) {
        const std::string& row = rows[static_cast<size_t>(y)];
        for (int32_t x = 0; x < static_cast<int32_t>(row.size()); ++x) {
            const int32_t s = y * r.width + x;
            const char c = row[static_cast<size_t>(x)];
            r.wall[static_cast<size_t>(s)] = c == '#' ? 1 : 0;
            if (c == '.' || c == '*' || c == '+') r.goal[static_cast<size_t>(s)] = 1;
            if (c == '$' || c == '*') r.boxes.push_back(s);
            if (c == '@' || c == '+') r.pusher = s;
        }
    }
    return r;
}

ReferenceAnswer solveReference(const ReferenceLevel& level, int64_t stateLimit) {
    const int32_t n = static_cast<int32_t>(level.boxes.size());
    int32_t goals = 0;
    for (const uint8_t g : level.goal) goals += g;
    if (n == 0 || n > kMaxReferenceBoxes || level.width * level.height > kMaxReferenceSquares) return {};
    if (goals != n) return {Verdict::kUnsolvable, -1};
    return Solver(level).solve(stateLimit);
}

}  // namespace qmref
