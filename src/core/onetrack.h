// One track as read from the player's database: the texts and numbers that the
// track list shows, sorts, exports and uses to find and name the track file.
//
// The reader fills a record once through the setters; everyone else only reads
// it. Three raw values are turned into display values when they are set: the
// length in milliseconds, the media type code and the player's location.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

class OneTrack {
public:
    OneTrack();

    void SetTitle(std::u16string title) { title_ = std::move(title); }
    void SetArtist(std::u16string artist) { artist_ = std::move(artist); }
    void SetAlbum(std::u16string album) { album_ = std::move(album); }
    // Stores whole seconds and the length text: M:SS, H:MM:SS or Dd HH:MM:SS.
    void SetLength(uint32_t milliseconds);
    void SetTrackNumber(int32_t number) { trackNumber_ = number; }
    void SetBitRate(int32_t kbitsPerSecond) { bitRate_ = kbitsPerSecond; }
    // The raw field is 16.16 fixed point; its upper 16 bits are the rate in Hz.
    void SetSampleRate(uint32_t raw) { sampleRate_ = static_cast<int32_t>((raw >> 16) & 0xFFFF); }
    // Picks the track type name by the whole code; unknown codes give "Unknown".
    void SetMediaType(int32_t code);
    void SetFileType(std::string fileType) { fileType_ = std::move(fileType); }
    // The player writes ":iPod_Control:Music:F00:X.mp3"; every ':' becomes '\'.
    void SetLocation(std::string location);
    // The number of the track's picture in its reader's artwork index; -1
    // for none.
    void SetArtwork(int32_t picture) { artwork_ = picture; }

    // Texts are handed out by reference, valid while the record lives: the
    // sort compares them many times over and copies would cost more than
    // the comparisons.
    const std::u16string& GetTitle() const { return title_; }
    const std::u16string& GetArtist() const { return artist_; }
    const std::u16string& GetAlbum() const { return album_; }
    const std::string& GetLengthText() const { return lengthText_; }
    const std::string& GetTrackType() const { return trackType_; }
    const std::string& GetFileType() const { return fileType_; }
    const std::string& GetPath() const { return path_; }
    int32_t GetSeconds() const { return seconds_; }
    int32_t GetBitRate() const { return bitRate_; }
    int32_t GetSampleRate() const { return sampleRate_; }
    int32_t GetTrackNumber() const { return trackNumber_; }
    int32_t GetArtwork() const { return artwork_; }

private:
    std::u16string title_;
    std::u16string artist_;
    std::u16string album_;
    std::string lengthText_;
    std::string trackType_;
    std::string fileType_;
    std::string path_;
    int32_t seconds_ = 0;
    int32_t bitRate_ = 0;
    int32_t sampleRate_ = 0;
    int32_t trackNumber_ = 0;
    int32_t artwork_ = -1;
};
