#include "hfs_btree.h"

namespace {

constexpr size_t kDescriptorBytes = 14;
constexpr int8_t kLeafNode = -1;
constexpr int8_t kIndexNode = 0;
constexpr int8_t kHeaderNode = 1;
constexpr uint32_t kVariableIndexKeys = 0x4;
// Real trees are a handful of levels deep.
constexpr uint32_t kDepthLimit = 16;

}  // namespace

std::unique_ptr<HfsBTree> HfsBTree::Open(std::unique_ptr<PlayerFile> file) {
    uint8_t header[kDescriptorBytes + 106];
    if (!file || !file->ReadAt(0, sizeof header, header) ||
        static_cast<int8_t>(header[8]) != kHeaderNode) {
        return nullptr;
    }
    const uint8_t* record = header + kDescriptorBytes;
    std::unique_ptr<HfsBTree> tree(new HfsBTree(std::move(file)));
    tree->depth_ = BigEndian16(record);
    tree->rootNode_ = BigEndian32(record + 2);
    tree->nodeSize_ = BigEndian16(record + 18);
    tree->maxKeyLength_ = static_cast<uint16_t>(BigEndian16(record + 20));
    tree->totalNodes_ = BigEndian32(record + 22);
    tree->variableIndexKeys_ = (BigEndian32(record + 38) & kVariableIndexKeys) != 0;
    const uint32_t size = tree->nodeSize_;
    if (size < 512 || size > 32768 || (size & (size - 1)) != 0 ||
        uint64_t{tree->totalNodes_} * size > tree->file_->Size() || tree->depth_ > kDepthLimit) {
        return nullptr;
    }
    return tree;
}

std::optional<HfsBTree::Node> HfsBTree::ReadNode(uint32_t number,
                                                 std::vector<uint8_t>& bytes) const {
    if (number == 0 || number >= totalNodes_) {
        return std::nullopt;
    }
    bytes.resize(nodeSize_);
    if (!file_->ReadAt(uint64_t{number} * nodeSize_, nodeSize_, bytes.data())) {
        return std::nullopt;
    }
    Node node;
    node.Next = BigEndian32(&bytes[0]);
    node.Kind = static_cast<int8_t>(bytes[8]);
    const uint32_t count = BigEndian16(&bytes[10]);
    if ((node.Kind != kLeafNode && node.Kind != kIndexNode) ||
        count > (nodeSize_ - kDescriptorBytes) / 2 - 1) {
        return std::nullopt;
    }
    // The offsets stand backwards at the node's end; the one after the
    // last record's is where the free space begins.
    auto offsetOf = [&](uint32_t index) {
        return BigEndian16(&bytes[nodeSize_ - 2 * (index + 1)]);
    };
    const uint32_t offsetsStart = nodeSize_ - 2 * (count + 1);
    for (uint32_t index = 0; index < count; ++index) {
        const uint32_t start = offsetOf(index);
        const uint32_t end = offsetOf(index + 1);
        if (start < kDescriptorBytes || end <= start + 2 || end > offsetsStart) {
            return std::nullopt;
        }
        Record record;
        const uint32_t keyLength = BigEndian16(&bytes[start]);
        const uint32_t keySpace =
            node.Kind == kIndexNode && !variableIndexKeys_ ? maxKeyLength_ : keyLength;
        if (keyLength > keySpace || start + 2 + keySpace > end) {
            return std::nullopt;
        }
        record.Key = &bytes[start + 2];
        record.KeyLength = keyLength;
        record.Data = &bytes[start + 2 + keySpace];
        record.DataLength = end - (start + 2 + keySpace);
        node.Records.push_back(record);
    }
    return node;
}

std::optional<uint32_t> HfsBTree::LeafFor(const KeyOrder& order) const {
    uint32_t number = rootNode_;
    std::vector<uint8_t> bytes;
    for (uint32_t level = 0; level <= kDepthLimit; ++level) {
        const std::optional<Node> node = ReadNode(number, bytes);
        if (!node || node->Records.empty()) {
            return std::nullopt;
        }
        if (node->Kind == kLeafNode) {
            return number;
        }
        // The last child whose first key is at or before the key looked for.
        const Record* child = &node->Records.front();
        for (const Record& record : node->Records) {
            if (order(record) > 0) {
                break;
            }
            child = &record;
        }
        if (child->DataLength < 4) {
            return std::nullopt;
        }
        number = BigEndian32(child->Data);
    }
    return std::nullopt;
}

bool HfsBTree::WalkFrom(const KeyOrder& order, const Visit& visit) const {
    if (totalNodes_ < 2 || rootNode_ == 0) {
        return true;  // an empty tree
    }
    const std::optional<uint32_t> first = LeafFor(order);
    if (!first) {
        return false;
    }
    std::vector<uint8_t> bytes;
    uint32_t number = *first;
    for (uint32_t visited = 0; number != 0; ++visited) {
        const std::optional<Node> node =
            visited < totalNodes_ ? ReadNode(number, bytes) : std::nullopt;
        if (!node || node->Kind != kLeafNode) {
            return false;
        }
        for (const Record& record : node->Records) {
            if (order(record) >= 0 && !visit(record)) {
                return true;
            }
        }
        number = node->Next;
    }
    return true;
}
