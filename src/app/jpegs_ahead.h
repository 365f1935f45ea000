// JPEGs made ahead of the run that writes them: encoding a picture takes
// longer than writing its file, so two threads of their own read and encode
// the pictures in the run's order from the moment they are known (for
// Extract Photos while the user still chooses the folder; for the covers
// of an extraction beside the copies), and the run takes each when it comes
// to it. They keep at most kAhead pictures or kAheadBytes of JPEGs ahead
// of the run, so that many pictures do not fill the memory.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/picture.h"

class JpegsAhead {
public:
    static constexpr size_t kAhead = 64;
    static constexpr size_t kAheadBytes = size_t{16} << 20;

    // A picture's JPEG, or the imaging component's failure.
    struct Encoded {
        HRESULT Result = E_FAIL;
        std::string Jpeg;
    };
    // Whether the run will want picture `index`'s JPEG at all.
    using Wanted = std::function<bool(size_t index)>;
    // Picture `index`, read off the player; nothing when it cannot be read.
    // Called on the encoders' threads, two at a time.
    using Load = std::function<std::optional<Picture>(size_t index)>;

    // Starts encoding the wanted ones of `count` pictures.
    JpegsAhead(size_t count, Wanted wanted, Load load);
    JpegsAhead(const JpegsAhead&) = delete;
    JpegsAhead& operator=(const JpegsAhead&) = delete;
    // Stops: the pictures under way are finished and thrown away.
    ~JpegsAhead();

    // The JPEG of wanted picture `index`, waited for; nothing when it could
    // not be read off the player (it changed, or went). Taken in order: the
    // pictures before `index` not taken are thrown away.
    std::optional<Encoded> Take(size_t index);

private:
    void EncodeAhead();
    // The next picture a thread may encode, or none when the encoding ends.
    std::optional<size_t> NextToEncode(std::unique_lock<std::mutex>& lock);
    void DropBefore(size_t index);

    const size_t count_;
    const Wanted wanted_;
    const Load load_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;   // the next picture to encode
    size_t taken_ = 0;  // the run's next picture
    size_t heldBytes_ = 0;
    std::map<size_t, std::optional<Encoded>> done_;  // encoded, not yet taken
    bool stopping_ = false;
    std::vector<std::thread> threads_;  // last: they end before the rest goes
};
