// The generic tree node: placing, taking out and freeing children.
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "store/TreeNode.h"

namespace pellumo {
namespace {

// Counts its own destruction, so freeing can be observed.
struct CountedNode : TTreeNode {
    CountedNode(const std::string& text, int& freed) : TTreeNode(text), freed_(freed) {}
    ~CountedNode() override { ++freed_; }
    int& freed_;
};

std::string Texts(const TTreeNode& node) {
    std::string out;
    for (size_t i = 0; i < node.Count(); ++i) out += node.Items(i)->Text;
    return out;
}

TEST(TTreeNode_Children, InsertAddAndExtractKeepOrderAndParent) {
    TTreeNode root;
    TTreeNode* c = root.Add(std::make_unique<TTreeNode>("c"));
    TTreeNode* a = root.Insert(std::make_unique<TTreeNode>("a"), c);
    root.Insert(std::make_unique<TTreeNode>("b"), c);
    root.Insert(std::make_unique<TTreeNode>("d"), nullptr);
    EXPECT_EQ(Texts(root), "abcd");
    EXPECT_EQ(root.FirstChild(), a);
    EXPECT_EQ(c->Parent(), &root);

    // A node that is not a child stays where it is; a child comes back unfreed.
    TTreeNode other;
    TTreeNode* foreign = other.Add(std::make_unique<TTreeNode>("x"));
    EXPECT_EQ(root.Extract(foreign), nullptr);
    EXPECT_EQ(foreign->Parent(), &other);
    std::unique_ptr<TTreeNode> taken = root.Extract(c);
    ASSERT_EQ(taken.get(), c);
    EXPECT_EQ(c->Parent(), nullptr);
    EXPECT_EQ(Texts(root), "abd");
    other.Insert(std::move(taken), foreign);
    EXPECT_EQ(Texts(other), "cx");
}

TEST(TTreeNode_Children, BadArgumentsRaiseWithoutChangingTheTree) {
    TTreeNode root, stranger;
    root.Add(std::make_unique<TTreeNode>("a"));
    EXPECT_THROW(root.Insert(std::make_unique<TTreeNode>("b"), &stranger), Exception);
    EXPECT_THROW(root.Add(nullptr), Exception);
    EXPECT_THROW(root.Items(1), Exception);
    EXPECT_EQ(Texts(root), "a");
    EXPECT_EQ(stranger.FirstChild(), nullptr);
}

TEST(TTreeNode_Free, ClearAndDestructionFreeWholeSubtrees) {
    int freed = 0;
    {
        TTreeNode root;
        TTreeNode* a = root.Add(std::make_unique<CountedNode>("a", freed));
        a->Add(std::make_unique<CountedNode>("a1", freed))->Add(std::make_unique<CountedNode>("a11", freed));
        root.Add(std::make_unique<CountedNode>("b", freed));
        root.Clear();
        EXPECT_EQ(freed, 4);
        EXPECT_EQ(root.Count(), 0u);
        root.Add(std::make_unique<CountedNode>("c", freed))->Add(std::make_unique<CountedNode>("c1", freed));
    }
    EXPECT_EQ(freed, 6);
}

}  // namespace
}  // namespace pellumo
