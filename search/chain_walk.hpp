#pragma once
// Walking a chain of stored nodes from its oldest node to its newest, where each node only knows
// its parent. The links are turned around for the walk and put back afterwards, so nothing is
// allocated however long the chain.
namespace qm {

// Calls visit(node) for every node from the root of newest's chain down to newest.
template <typename Node, typename Visit>
void forEachOldestFirst(Node* newest, Visit visit) {
    Node* previous = nullptr;
    for (Node* node = newest; node != nullptr;) {
        Node* parent = node->parent;
        node->parent = previous;
        previous = node;
        node = parent;
    }
    // previous is the root; its parent field now leads towards newest.
    Node* root = previous;
    for (Node* node = root; node != nullptr; node = node->parent) visit(node);
    previous = nullptr;
    for (Node* node = root; node != nullptr;) {
        Node* child = node->parent;
        node->parent = previous;
        previous = node;
        node = child;
    }
}

// The same over consecutive pairs: visit(older, newer) for every step of the chain.
template <typename Node, typename Visit>
void forEachStepOldestFirst(Node* newest, Visit visit) {
    Node* older = nullptr;
    forEachOldestFirst(newest, [&](Node* node) {
        if (older != nullptr) visit(older, node);
        older = node;
    });
}

}  // namespace qm
