// JPEGs made ahead of the run that writes them: encoding a picture takes
// longer than writing its file, so two threads of their own read and encode
// the pictures in the run's order from the moment they are known (for
// Extract Photos while the user still chooses the folder; for the covers
// of an extraction beside the copies), and the run takes each when it comes
// to it. They keep at most kAhead pictures or kAheadBytes of JPEGs ahead
// of the run, so that many pictures do not fill the memory.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/made_ahead.h"
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

    // The JPEG of wanted picture `index`, waited for; nothing when it could
    // not be read off the player (it changed, or went). Taken in order: the
    // pictures before `index` not taken are thrown away. Letting go of the
    // JpegsAhead stops the encoders.
    std::optional<Encoded> Take(size_t index) { return encoded_.Take(index); }

private:
    MadeAhead<Encoded> encoded_;
};
