// One track as read from the player's database: the texts and numbers that the
// track list shows, sorts, exports and uses to find and name the track file,
// and what the player knows of it besides (genre, rating, plays, dates, ...).
//
// The reader fills a record once through the setters; everyone else only reads
// it. The player's location is turned into a path when it is set; the
// length and the media type are kept as the player gives them and shown as
// the list asks for them. The
// player's times are kept as it writes them: seconds since 1904-01-01 00:00
// in its own local time, 0 for none.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

// What the player counted of a track since its last sync, apart from what
// its database holds; the times as the player writes them, 0 for none.
struct SinceSync {
    uint32_t Plays = 0;
    uint32_t LastPlayed = 0;
    uint32_t Skips = 0;
    uint32_t LastSkipped = 0;
};

class OneTrack {
public:
    OneTrack() = default;

    void SetTitle(std::u16string title) { title_ = std::move(title); }
    void SetArtist(std::u16string artist) { artist_ = std::move(artist); }
    void SetAlbum(std::u16string album) { album_ = std::move(album); }
    void SetLength(uint32_t milliseconds) { milliseconds_ = milliseconds; }
    void SetTrackNumber(int32_t number) { trackNumber_ = number; }
    void SetBitRate(int32_t kbitsPerSecond) { bitRate_ = kbitsPerSecond; }
    // The raw field is 16.16 fixed point; its upper 16 bits are the rate in Hz.
    void SetSampleRate(uint32_t raw) { sampleRate_ = static_cast<int32_t>((raw >> 16) & 0xFFFF); }
    // The player's media type code, whose name the track type is.
    void SetMediaType(int32_t code) { mediaType_ = code; }
    void SetFileType(std::string fileType) { fileType_ = std::move(fileType); }
    // The player writes ":iPod_Control:Music:F00:X.mp3"; every ':' becomes '\'.
    void SetLocation(std::string location);
    void SetGenre(std::u16string genre) { genre_ = std::move(genre); }
    void SetComposer(std::u16string composer) { composer_ = std::move(composer); }
    void SetComment(std::u16string comment) { comment_ = std::move(comment); }
    void SetRating(uint32_t starsTimesTwenty) { rating_ = starsTimesTwenty; }
    void SetDateModified(uint32_t time) { dateModified_ = time; }
    void SetSize(uint32_t bytes) { size_ = bytes; }
    void SetYear(uint32_t year) { year_ = year; }
    void SetPlayCount(uint32_t count) { playCount_ = count; }
    void SetLastPlayed(uint32_t time) { lastPlayed_ = time; }
    void SetDisc(uint32_t number, uint32_t count) {
        discNumber_ = number;
        discCount_ = count;
    }
    void SetDateAdded(uint32_t time) { dateAdded_ = time; }
    void SetSkipCount(uint32_t count) { skipCount_ = count; }
    // The track's 64-bit id in the player's database.
    void SetDatabaseId(uint64_t id) { databaseId_ = id; }
    // The number of the track's picture in its reader's artwork index; -1
    // for none.
    void SetArtwork(int32_t picture) { artwork_ = picture; }
    // Counted into the plays and skips above as well.
    void SetSinceSync(const SinceSync& sinceSync) { sinceSync_ = sinceSync; }

    // Texts are handed out by reference, valid while the record lives: the
    // sort compares them many times over and copies would cost more than
    // the comparisons.
    const std::u16string& GetTitle() const { return title_; }
    const std::u16string& GetArtist() const { return artist_; }
    const std::u16string& GetAlbum() const { return album_; }
    // The length as the list shows it: M:SS, H:MM:SS or Dd HH:MM:SS.
    std::string GetLengthText() const;
    // The name of the media type; unknown codes give "Unknown".
    const std::string& GetTrackType() const;
    int32_t GetMediaType() const { return mediaType_; }
    bool IsPodcast() const;
    bool HasVideo() const;
    const std::string& GetFileType() const { return fileType_; }
    const std::string& GetPath() const { return path_; }
    // Whole seconds: at most 4294967, so that it always fits.
    int32_t GetSeconds() const { return static_cast<int32_t>(milliseconds_ / 1000); }
    uint32_t GetMilliseconds() const { return milliseconds_; }
    int32_t GetBitRate() const { return bitRate_; }
    int32_t GetSampleRate() const { return sampleRate_; }
    int32_t GetTrackNumber() const { return trackNumber_; }
    const std::u16string& GetGenre() const { return genre_; }
    const std::u16string& GetComposer() const { return composer_; }
    const std::u16string& GetComment() const { return comment_; }
    uint32_t GetRating() const { return rating_; }
    uint32_t GetDateModified() const { return dateModified_; }
    uint32_t GetSize() const { return size_; }
    uint32_t GetYear() const { return year_; }
    uint32_t GetPlayCount() const { return playCount_; }
    uint32_t GetLastPlayed() const { return lastPlayed_; }
    uint32_t GetDiscNumber() const { return discNumber_; }
    uint32_t GetDiscCount() const { return discCount_; }
    uint32_t GetDateAdded() const { return dateAdded_; }
    uint32_t GetSkipCount() const { return skipCount_; }
    uint64_t GetDatabaseId() const { return databaseId_; }
    int32_t GetArtwork() const { return artwork_; }
    const SinceSync& GetSinceSync() const { return sinceSync_; }

private:
    std::u16string title_;
    std::u16string artist_;
    std::u16string album_;
    int32_t mediaType_ = -1;
    std::string fileType_;
    std::string path_;
    uint32_t milliseconds_ = 0;
    int32_t bitRate_ = 0;
    int32_t sampleRate_ = 0;
    int32_t trackNumber_ = 0;
    std::u16string genre_;
    std::u16string composer_;
    std::u16string comment_;
    uint32_t rating_ = 0;
    uint32_t dateModified_ = 0;
    uint32_t size_ = 0;
    uint32_t year_ = 0;
    uint32_t playCount_ = 0;
    uint32_t lastPlayed_ = 0;
    uint32_t discNumber_ = 0;
    uint32_t discCount_ = 0;
    uint32_t dateAdded_ = 0;
    uint32_t skipCount_ = 0;
    int32_t artwork_ = -1;
    uint64_t databaseId_ = 0;
    SinceSync sinceSync_;
};
