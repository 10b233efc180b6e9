#include "store/TreeNode.h"

#include <algorithm>

#include "platform/Exception.h"

namespace pellumo {

TTreeNode::~TTreeNode() { TTreeNode::Clear(); }

TTreeNode* TTreeNode::Insert(std::unique_ptr<TTreeNode> node, TTreeNode* before) {
    if (!node) throw Exception("Cannot insert an empty tree node");
    auto at = children_.end();
    if (before) {
        at = std::find_if(children_.begin(), children_.end(),
                          [before](const std::unique_ptr<TTreeNode>& child) { return child.get() == before; });
        if (at == children_.end()) throw Exception("Tree node to insert before is not a child");
    }
    TTreeNode* const added = node.get();
    children_.insert(at, std::move(node));
    added->parent_ = this;
    return added;
}

TTreeNode* TTreeNode::Add(std::unique_ptr<TTreeNode> node) { return Insert(std::move(node), nullptr); }

std::unique_ptr<TTreeNode> TTreeNode::Extract(TTreeNode* node) {
    auto at = std::find_if(children_.begin(), children_.end(),
                           [node](const std::unique_ptr<TTreeNode>& child) { return child.get() == node; });
    if (!node || at == children_.end()) return nullptr;
    std::unique_ptr<TTreeNode> taken = std::move(*at);
    children_.erase(at);
    taken->parent_ = nullptr;
    return taken;
}

void TTreeNode::Clear() {
    // Every node's children move to the work list before the node is freed,
    // so no destructor ever has a child left to free.
    std::vector<std::unique_ptr<TTreeNode>> doomed;
    doomed.swap(children_);
    while (!doomed.empty()) {
        std::unique_ptr<TTreeNode> node = std::move(doomed.back());
        doomed.pop_back();
        node->parent_ = nullptr;
        for (auto& child : node->children_) doomed.push_back(std::move(child));
        node->children_.clear();
    }
}

TTreeNode* TTreeNode::Items(size_t i) const {
    if (i >= children_.size()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    return children_[i].get();
}

}  // namespace pellumo
