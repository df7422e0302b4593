#include "search3/feature_position.hpp"

#include <bit>
#include <cstring>

namespace qm {

FeaturePosition position;

void clearPosition() {
    std::memcpy(position.board, featureLevel.board, sizeof(int32_t) * level.cellCount);
    position.boxCount = 0;
    position.rankMask = 0;
}

void loadPosition(const FeatureNode& node) {
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    for (int32_t j = 0; j < p.boxCount; ++j) p.board[p.boxes[j]] = 0;
    p.boxCount = 0;
    p.rankMask = 0;
    const uint64_t* set = node.boxSet();
    for (int32_t k = 0; k < fl.words; ++k) {
        for (uint64_t bits = set[k]; bits != 0; bits &= bits - 1) {
            const int32_t s = fl.floorSquare[k * 64 + std::countr_zero(bits)];
            p.board[s] = BOX;
            p.boxes[p.boxCount++] = s;
            p.rankMask |= rankBit(s);
        }
    }
}

void loadSquares(const int32_t* squares, int32_t n) {
    FeaturePosition& p = position;
    for (int32_t j = 0; j < p.boxCount; ++j) p.board[p.boxes[j]] = 0;
    p.boxCount = 0;
    p.rankMask = 0;
    for (int32_t j = 0; j < n; ++j) {
        p.board[squares[j]] = BOX;
        p.boxes[p.boxCount++] = squares[j];
        p.rankMask |= rankBit(squares[j]);
    }
}

int32_t labelRegions() {
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    if (++p.labelStamp == 0) {
        std::memset(p.labelSeen, 0, sizeof p.labelSeen);
        p.labelStamp = 1;
    }
    const uint32_t stamp = p.labelStamp;
    int32_t regions = 0;
    for (int32_t i = 0; i < fl.floorCount; ++i) {
        const int32_t s = fl.floorSquare[i];
        if (p.board[s] != 0 || p.labelSeen[s] == stamp) continue;
        const int32_t id = regions++;
        int32_t count = 0;
        p.labelSeen[s] = stamp;
        p.label[s] = id;
        p.labelQueue[count++] = s;
        for (int32_t head = 0; head < count; ++head) {
            const int32_t v = p.labelQueue[head];
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t n = v + level.dirOffset[d];
                if (p.board[n] != 0 || p.labelSeen[n] == stamp) continue;
                p.labelSeen[n] = stamp;
                p.label[n] = id;
                p.labelQueue[count++] = n;
            }
        }
    }
    p.regions = regions;
    return regions;
}

int32_t regionsWithLifted(int32_t s) {
    const FeaturePosition& p = position;
    int32_t seen[4];
    int32_t distinct = 0;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t n = s + level.dirOffset[d];
        if (p.board[n] != 0) continue;
        bool known = false;
        for (int32_t k = 0; k < distinct; ++k) known = known || seen[k] == p.label[n];
        if (!known) seen[distinct++] = p.label[n];
    }
    return p.regions - distinct + 1;
}

int32_t outOfPlanOf(uint64_t rankMask) {
    const int32_t filled = std::popcount(rankMask);
    return filled >= 64 ? 0 : std::popcount(rankMask >> filled);
}

}  // namespace qm
