// What both volume readers share: each folder's entries read once and kept,
// found by the keys of their names, and a path walked from the root through
// them; all under one lock, so that copies on several threads may open
// files at once. A reader says how its root is named, how a folder is read,
// how a name is compared and how a file's bytes are found.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "player_files.h"

// `Entry` holds `Shown` (what a listing shows) and `Id` (the number the
// volume finds a folder's entries by).
template <typename Entry>
class FolderTreeVolume : public PlayerFiles {
public:
    std::unique_ptr<PlayerFile> Open(std::u16string_view path) final {
        std::lock_guard<std::mutex> lock(caching_);
        const std::optional<Entry> entry = Find(path);
        return entry && !entry->Shown.IsFolder ? OpenEntry(*entry) : nullptr;
    }

    std::optional<std::vector<PlayerFileEntry>> ListFolder(std::u16string_view path) final {
        std::lock_guard<std::mutex> lock(caching_);
        const std::optional<Entry> entry = Find(path);
        const Folder* folder = entry && entry->Shown.IsFolder ? FolderOf(entry->Id) : nullptr;
        if (folder == nullptr) {
            return std::nullopt;
        }
        std::vector<PlayerFileEntry> entries;
        entries.reserve(folder->Entries.size());
        for (const Entry& child : folder->Entries) {
            entries.push_back(child.Shown);
        }
        return entries;
    }

protected:
    struct Folder {
        std::vector<Entry> Entries;
        std::unordered_map<std::u16string, size_t> ByKey;  // the first entry of a key
    };

    // The root folder as an entry.
    virtual Entry Root() const = 0;
    // Reads folder `id` from the volume; nothing when it cannot be read.
    virtual std::optional<Folder> ReadFolder(uint32_t id) = 0;
    // What two names that name one file have alike.
    virtual std::u16string KeyOf(std::u16string_view name) const = 0;
    // The file of an entry; null when its bytes cannot be found.
    virtual std::unique_ptr<PlayerFile> OpenEntry(const Entry& file) = 0;

    void Add(Folder& folder, Entry entry) const {
        folder.ByKey.emplace(KeyOf(entry.Shown.Name), folder.Entries.size());
        folder.Entries.push_back(std::move(entry));
    }

    // Folder `id`, read when first asked; with `caching_` held.
    const Folder* FolderOf(uint32_t id) {
        const auto known = folders_.find(id);
        if (known != folders_.end()) {
            return &known->second;
        }
        std::optional<Folder> read = ReadFolder(id);
        return read ? &folders_.emplace(id, std::move(*read)).first->second : nullptr;
    }

    std::mutex caching_;

private:
    // The entry a path names; the root is an entry of its own.
    std::optional<Entry> Find(std::u16string_view path) {
        Entry current = Root();
        for (std::u16string_view part : PathParts(path)) {
            const Folder* folder = current.Shown.IsFolder ? FolderOf(current.Id) : nullptr;
            if (folder == nullptr) {
                return std::nullopt;
            }
            const auto match = folder->ByKey.find(KeyOf(part));
            if (match == folder->ByKey.end()) {
                return std::nullopt;
            }
            current = folder->Entries[match->second];
        }
        return current;
    }

    std::map<uint32_t, Folder> folders_;
};
