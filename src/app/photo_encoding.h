// The JPEGs of an Extract Photos run, made ahead of it: encoding takes most
// of a photo's time, so two threads of their own read and encode the
// planned photos' pictures in the plan's order from the moment the command
// starts, while the user still chooses the folder, and the run takes each
// when it comes to it. They keep at most kAheadPhotos photos or
// kAheadBytes of JPEGs ahead of the run, so that a player of many photos
// does not fill the memory.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class PhotoIndex;
struct PhotoFile;

class PhotoEncoding {
public:
    static constexpr size_t kAheadPhotos = 64;
    static constexpr size_t kAheadBytes = size_t{16} << 20;

    // A photo's JPEG, or the imaging component's failure.
    struct Encoded {
        HRESULT Result = E_FAIL;
        std::string Jpeg;
    };

    // Starts encoding the pictures of `files` that are not originals.
    // `photos` and `files` stay as they are until the encoding goes.
    PhotoEncoding(const PhotoIndex& photos, const std::vector<PhotoFile>& files);
    PhotoEncoding(const PhotoEncoding&) = delete;
    PhotoEncoding& operator=(const PhotoEncoding&) = delete;
    // Stops: the photos under way are finished and thrown away.
    ~PhotoEncoding();

    // The JPEG of files[index], a picture's, waited for; nothing when the
    // picture could not be read off the player (it changed, or went). Taken
    // in the plan's order: the photos before `index` not taken are thrown
    // away.
    std::optional<Encoded> Take(size_t index);

private:
    void EncodeAhead();
    // The next photo a thread may encode, or none when the encoding ends.
    std::optional<size_t> NextToEncode(std::unique_lock<std::mutex>& lock);
    void DropBefore(size_t index);

    const PhotoIndex& photos_;
    const std::vector<PhotoFile>& files_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;   // the next photo to encode
    size_t taken_ = 0;  // the run's next photo
    size_t heldBytes_ = 0;
    std::map<size_t, std::optional<Encoded>> done_;  // encoded, not yet taken
    bool stopping_ = false;
    std::vector<std::thread> threads_;  // last: they end before the rest goes
};
