#pragma once
// TZellTreeNode: a generic tree node with a caption. A node owns its children;
// freeing a node frees its whole subtree.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace pellumo {

class TZellTreeNode {
public:
    explicit TZellTreeNode(std::string text = std::string()) : Text(std::move(text)) {}
    // Frees the subtree without recursing, so a folder chain of any depth
    // cannot exhaust the call stack.
    virtual ~TZellTreeNode();
    TZellTreeNode(const TZellTreeNode&) = delete;
    TZellTreeNode& operator=(const TZellTreeNode&) = delete;

    std::string Text;

    TZellTreeNode* Parent() const { return parent_; }

    // Takes Node and puts it before the child Before; a null Before appends.
    // Raises when Node is null or Before is not a child of this node (Node is
    // freed then). Node must not be this node or one of its ancestors.
    virtual TZellTreeNode* Insert(std::unique_ptr<TZellTreeNode> node, TZellTreeNode* before);
    // Takes Node as the last child.
    virtual TZellTreeNode* Add(std::unique_ptr<TZellTreeNode> node);
    // Hands a child back to the caller with its parent cleared; null when
    // Node is not a child of this node (nothing changes then).
    virtual std::unique_ptr<TZellTreeNode> Extract(TZellTreeNode* node);
    // Frees every child and its subtree.
    virtual void Clear();

    size_t Count() const { return children_.size(); }
    // Raises when I is out of range.
    TZellTreeNode* Items(size_t i) const;
    TZellTreeNode* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }

private:
    TZellTreeNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TZellTreeNode>> children_;
};

}  // namespace pellumo
