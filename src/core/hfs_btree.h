// A B-tree file of a Mac volume (its catalog, its extents overflow file):
// a header node, index nodes and a chain of leaf nodes, each of one fixed
// size. Every node read is checked: its number inside the tree, its kind,
// its records' offsets inside it and rising. A walk visits at most as many
// nodes as the tree has, so a loop of links ends.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "player_files.h"

class HfsBTree {
public:
    // One record of a node: its key (without the length before it) and the
    // data after the key.
    struct Record {
        const uint8_t* Key = nullptr;
        size_t KeyLength = 0;
        const uint8_t* Data = nullptr;
        size_t DataLength = 0;
    };
    // Orders a record's key against the key looked for: negative when the
    // record's key comes first, zero when equal, positive after.
    using KeyOrder = std::function<int(const Record&)>;
    // Sees each leaf record from the first one at or after the key looked
    // for; returns false to end the walk.
    using Visit = std::function<bool(const Record&)>;

    // The tree in `file`; null when its header node is not one.
    static std::unique_ptr<HfsBTree> Open(std::unique_ptr<PlayerFile> file);

    // Goes down to the leaf where keys ordered at or after `order`'s key
    // begin and visits the leaf records from there on. False when a node on
    // the way cannot be read or is damaged.
    bool WalkFrom(const KeyOrder& order, const Visit& visit) const;

private:
    struct Node {
        int8_t Kind = 0;
        uint32_t Next = 0;
        std::vector<Record> Records;
    };
    HfsBTree(std::unique_ptr<PlayerFile> file) : file_(std::move(file)) {}
    // Reads node `number` into `bytes` and finds its records.
    std::optional<Node> ReadNode(uint32_t number, std::vector<uint8_t>& bytes) const;
    // The first leaf that may hold the key `order` looks for.
    std::optional<uint32_t> LeafFor(const KeyOrder& order) const;

    std::unique_ptr<PlayerFile> file_;
    uint32_t nodeSize_ = 0;
    uint32_t totalNodes_ = 0;
    uint32_t rootNode_ = 0;
    uint32_t depth_ = 0;
    uint16_t maxKeyLength_ = 0;
    bool variableIndexKeys_ = false;
};
