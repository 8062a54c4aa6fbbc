#pragma once
// PlNetResourceInfo: one node of the LAN browser's tree or one search result,
// copied by value; PlBrowseNode: a tree node that owns its children in order.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::int32_t kResourceComputer = 1;
inline constexpr std::int32_t kResourceDomain = 2;
inline constexpr std::int32_t kResourceRecipient = 3;

struct PlNetResourceInfo {
    std::int32_t kind = kResourceComputer;
    std::string name;
    std::string computer;  // computer nodes and recipients
    std::string domain;    // a recipient's domain node; a delivered domain's own name
    std::string comment;
    std::int32_t flag = 1;  // 0: a computer offered under its own name
    std::int32_t reserved = 0;

    bool operator==(const PlNetResourceInfo&) const = default;
};

class PlBrowseNode {
public:
    PlBrowseNode() = default;
    explicit PlBrowseNode(PlNetResourceInfo info) : info_(std::move(info)) {}

    const PlNetResourceInfo& Info() const { return info_; }
    std::size_t AddChild(PlNetResourceInfo info)
    {
        children_.push_back(std::make_unique<PlBrowseNode>(std::move(info)));
        return children_.size() - 1;
    }
    PlBrowseNode& Child(std::size_t index) { return *children_.at(index); }
    const PlBrowseNode& Child(std::size_t index) const { return *children_.at(index); }
    std::size_t ChildCount() const { return children_.size(); }
    void Clear() { children_.clear(); }
    std::unique_ptr<PlBrowseNode> DeepCopy() const
    {
        auto copy = std::make_unique<PlBrowseNode>(info_);
        for (const auto& child : children_)
            copy->children_.push_back(child->DeepCopy());
        return copy;
    }

private:
    PlNetResourceInfo info_;
    std::vector<std::unique_ptr<PlBrowseNode>> children_;
};
