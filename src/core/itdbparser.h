// Reader of the player's track database ("\iPod_Control\iTunes\iTunesDB").
//
// The file is a tree of chunks: one "mhbd" holding data sets "mhsd"; the set of
// type 1 holds a track list "mhlt" followed by track items "mhit", each
// followed by its data objects "mhod". The reader walks it once, front to
// back, by the lengths the file declares, and keeps one OneTrack per track
// item. It never writes to the file and never holds the file in memory.
//
// Newer players keep the same database compressed ("iTunesCDB"): the "mhbd"
// header as it is, then everything else as one zlib stream. The reader tells
// the two apart by content and walks the compressed one as it inflates; a
// damaged or cut stream reads like a file that ends where the stream's last
// good byte was inflated.
//
// After the track set the reader goes on to the playlist sets (see
// itdbparser_playlists.cpp); damage there keeps every track and the playlists
// before it. A database in a player's own folder is then completed with what
// the player recorded since it was last synced (itdbparser_since_sync.cpp).
//
// A damaged file never crashes the reader: no declared length makes it
// allocate more than the bytes that are really there, and the reader reports
// by its result only. A file that is valid but huge (a small compressed one
// can inflate to two gigabytes of tracks) is read up to a memory budget.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "artwork_db.h"
#include "memory_budget.h"
#include "onetrack.h"
#include "photo_db.h"
#include "playlist.h"
#include "track_id_table.h"

class BufferedInput;

class ITDBParser {
public:
    // Remembers the database path (narrow text) and the files it lies
    // among (null: this machine's); nothing is opened yet.
    explicit ITDBParser(const std::string& databasePath,
                        std::shared_ptr<PlayerFiles> files = nullptr);
    ITDBParser(const ITDBParser&) = delete;
    ITDBParser& operator=(const ITDBParser&) = delete;
    // Deletes every track read: pointers handed out by Next die with it.
    ~ITDBParser();

    // Memory a read may take: the tracks, their texts, the playlists and
    // what the reader needs to build them. Reading stops there as it does
    // at damage, keeping the tracks before.
    static constexpr size_t kMemoryBudget = size_t{256} << 20;
    // The most of one text kept, in bytes; the rest of a longer one is
    // passed over. One code unit more than the longest path Windows takes,
    // so that a longer location stays too long to name a file.
    static constexpr int32_t kLongestText = 64 * 1024;
    // The most playlists kept; the rest are dropped as damage is.
    static constexpr size_t kMostPlaylists = 10000;

    // Reads up to `limit` tracks (negative: all) and appends them to the track
    // list. Returns -1 when the file cannot be opened or its header structure
    // is invalid, or when memory runs out (no track is kept then); 0 when it
    // declares no track, `limit` is 0 or the first track cannot be read;
    // otherwise the number of tracks appended. The file is closed again
    // before Parse returns.
    int32_t Parse(int32_t limit);

    // Every track read, in file order. The reader keeps ownership.
    std::vector<const OneTrack*> TracksInFileOrder() const;

    // Cursor over the track list, in file order.
    void First() { cursor_ = tracks_.begin(); }
    bool HasNext() const { return cursor_ != tracks_.end(); }
    // Only while HasNext() is true. The reader keeps ownership.
    OneTrack* Next() { return (cursor_++)->get(); }

    // The playlists of the last Parse, in file order, the library playlist
    // included, then the On-The-Go lists made on the player since its last
    // sync. Members point at tracks of this reader.
    const std::vector<Playlist>& Playlists() const { return playlists_; }

    // The 64-bit id of the database read last; 0 when it has none.
    uint64_t LibraryId() const { return libraryId_; }

    // The files the database lies among: the player's.
    const std::shared_ptr<PlayerFiles>& Files() const { return files_; }

    // The pictures of the last Parse; a track's GetArtwork is its number here.
    const ArtworkIndex& Artwork() const { return artwork_; }
    // The photo albums of the player whose database was read last.
    const PhotoIndex& Photos() const { return photos_; }
    // A budget of the memory this read has left untaken, for what is made
    // of the records later (the photos' plan), so that it too stays within
    // the read's.
    MemoryBudget SpareBudget() const { return MemoryBudget(budget_.Spare()); }

    // Assembles four bytes in file order, little-endian.
    static int32_t ToInt32(const uint8_t bytes[4]);

private:
    int32_t ReadTracks(BufferedInput& input, int32_t limit);
    int32_t ReadHeader(BufferedInput& input, int64_t& trackSetEnd);
    // What names a track elsewhere in the file and in the artwork store.
    struct TrackLinks {
        uint32_t TrackId = 0;     // playlist entries name the track by it
        uint64_t DatabaseId = 0;  // a picture's song id
        uint32_t ArtworkId = 0;   // a picture's image id; 0 for none
    };
    // The track of the item at the input's position and its links.
    std::unique_ptr<OneTrack> ReadTrack(BufferedInput& input, TrackLinks& links);
    // Reads the artwork index of `artworkFolder` and gives each track read
    // its picture.
    void ReadArtwork(const std::string& artworkFolder);
    // A text object whose first fields are read, up to its type: its text
    // when it lies inside the object's total length, which the walk then
    // moves by. False when that cannot move the walk forward or the text
    // cannot be read.
    bool ReadTextObject(BufferedInput& input, int32_t totalLength, OneTrack& track,
                        void (OneTrack::*set)(std::u16string));
    bool ReadWideString(BufferedInput& input, std::u16string& text);
    bool ReadNarrowString(BufferedInput& input, std::string& text);

    // What the player recorded since the last sync, beside a database in
    // its own folder (itdbparser_since_sync.cpp).
    void MergeSinceSync();
    void MergePlayCounts(const std::string& path, const std::vector<OneTrack*>& tracks);
    void AddOnTheGoPlaylists(const std::string& folder, const std::vector<OneTrack*>& tracks);

    // The playlist walk, in itdbparser_playlists.cpp.
    void ReadPlaylists(BufferedInput& input, int64_t setsStart);
    // Empties the playlists and gives their memory back to the budget.
    void DropPlaylists();
    void ReadPlaylistSets(BufferedInput& input);
    bool ReadPlaylistList(BufferedInput& input, int64_t setEnd);
    bool ReadPlaylist(BufferedInput& input, int64_t setEnd);

    std::string databasePath_;
    std::shared_ptr<PlayerFiles> files_;
    MemoryBudget budget_{kMemoryBudget};
    std::list<std::unique_ptr<OneTrack>> tracks_;
    std::list<std::unique_ptr<OneTrack>>::iterator cursor_;
    // Holds a narrow string's UTF-16 bytes on their way to conversion; its
    // storage is reused between objects and released when Parse ends.
    std::u16string narrowBuffer_;
    // Each track read by this Parse under its id in the file, for the
    // playlists to find their members; emptied when Parse ends.
    TrackIdTable trackIds_;
    std::vector<Playlist> playlists_;
    // One playlist's members with their positions, before they are put in
    // order; reused between playlists and released when Parse ends.
    std::vector<std::pair<int32_t, const OneTrack*>> entries_;
    // Each track read by this Parse with its links to the artwork store;
    // emptied when Parse ends.
    std::vector<std::pair<OneTrack*, TrackLinks>> artworkLinks_;
    ArtworkIndex artwork_;
    PhotoIndex photos_;
    uint64_t libraryId_ = 0;
};
