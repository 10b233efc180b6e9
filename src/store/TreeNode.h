#pragma once
// TTreeNode: a generic tree node with a caption. A node owns its children;
// freeing a node frees its whole subtree.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace pellumo {

class TTreeNode {
public:
    explicit TTreeNode(std::string text = std::string()) : Text(std::move(text)) {}
    // Frees the subtree without recursing, so a folder chain of any depth
    // cannot exhaust the call stack.
    virtual ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    std::string Text;

    TTreeNode* Parent() const { return parent_; }

    // Takes Node and puts it before the child Before; a null Before appends.
    // Throws when Node is null or Before is not a child of this node (Node is
    // freed then). Node must not be this node or one of its ancestors.
    virtual TTreeNode* Insert(std::unique_ptr<TTreeNode> node, TTreeNode* before);
    // Takes Node as the last child.
    virtual TTreeNode* Add(std::unique_ptr<TTreeNode> node);
    // Hands a child back to the caller with its parent cleared; null when
    // Node is not a child of this node (nothing changes then).
    virtual std::unique_ptr<TTreeNode> Extract(TTreeNode* node);
    // Frees every child and its subtree.
    virtual void Clear();

    size_t Count() const { return children_.size(); }
    // Throws when I is out of range.
    TTreeNode* Items(size_t i) const;
    TTreeNode* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }

private:
    TTreeNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> children_;
};

}  // namespace pellumo
