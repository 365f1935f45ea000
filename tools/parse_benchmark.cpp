// Times the database reader on a large, realistic database and reports how
// much memory it needs beyond the records it keeps.
//
//   parse-benchmark [TRACKS] [ROUNDS]    defaults: 40000 tracks, 7 rounds
//
// The database has a playlist set before and after the track set; every track
// item has a 388-byte header and eight data objects. Each round constructs a
// reader, parses the whole file and walks every track. Memory is counted by
// this program's own operator new: "kept" is what the reader still holds after
// Parse (records, texts, list nodes), "peak" the most held at any moment.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/itdbparser.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

// Allocation counters for the whole program: one thread, no locking needed.
struct AllocationStats {
    size_t live = 0;
    size_t peak = 0;
};

AllocationStats& Stats() {
    static AllocationStats stats;
    return stats;
}

// Each block carries its size in front, aligned for any type.
constexpr size_t kHeader = alignof(std::max_align_t);

void* CountedAllocate(size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<size_t*>(block) = size;
    AllocationStats& stats = Stats();
    stats.live += size;
    stats.peak = std::max(stats.peak, stats.live);
    return block + kHeader;
}

void CountedFree(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    Stats().live -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

std::u16string Number(int value) {
    std::u16string text;
    for (char c : std::to_string(value)) {
        text += static_cast<char16_t>(c);
    }
    return text;
}

std::vector<itdb::Track> RealisticTracks(int count) {
    const std::u16string artists[] = {u"The Quiet Harbour", u"Mar\u00EDa Ol\u00E9",
                                      u"\u041A\u0438\u043D\u043E",
                                      u"\u7F8E\u7A7A\u3072\u3070\u308A"};
    const std::u16string types[] = {u"MPEG audio file", u"AAC audio file", u"MPEG-4 video file"};
    std::vector<itdb::Track> tracks;
    tracks.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        itdb::Track track;
        track.title = u"Song number " + Number(i) + u" (album version)";
        track.artist = artists[i % 4];
        track.album = u"Collected Recordings, volume " + Number(i / 12);
        track.location =
            u":iPod_Control:Music:F" + Number(10 + i % 40) + u":TRK" + Number(i) + u".mp3";
        track.fileType = types[i % 3];
        track.lengthMs = 120000u + static_cast<uint32_t>(i % 300) * 1000u;
        track.trackNumber = i % 12 + 1;
        track.bitRate = i % 2 ? 128 : 256;
        track.sampleRateHz = i % 5 ? 44100 : 22050;
        track.mediaType = i % 17 ? 1 : 32;
        tracks.push_back(track);
    }
    return tracks;
}

}  // namespace

void* operator new(size_t size) {
    return CountedAllocate(size);
}
void* operator new[](size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    CountedFree(pointer);
}

int main(int argc, char** argv) {
    const int trackCount = argc > 1 ? std::atoi(argv[1]) : 40000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (trackCount <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: parse-benchmark [TRACKS] [ROUNDS]\n");
        return 2;
    }

    TempDir dir;
    const std::string path = dir.File("iTunesDB");
    {
        const itdb::Bytes database = itdb::RealisticDatabase(RealisticTracks(trackCount));
        if (!itdb::WriteFile(path, database)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("database: %d tracks, %zu bytes\n", trackCount, database.size());
    }

    std::vector<double> seconds;
    size_t kept = 0;
    size_t peakAbove = 0;
    for (int round = 0; round < rounds; ++round) {
        const size_t before = Stats().live;
        Stats().peak = before;
        const auto start = std::chrono::steady_clock::now();
        ITDBParser parser(path);
        const int32_t result = parser.Parse(-1);
        int32_t walked = 0;
        for (parser.First(); parser.HasNext(); ++walked) {
            walked += parser.Next()->GetTrackNumber() < 0 ? 1 : 0;
        }
        const auto stop = std::chrono::steady_clock::now();
        if (result != trackCount || walked != trackCount) {
            std::fprintf(stderr, "Parse returned %d and walked %d of %d tracks\n", result, walked,
                         trackCount);
            return 1;
        }
        seconds.push_back(std::chrono::duration<double>(stop - start).count());
        kept = Stats().live - before;
        peakAbove = Stats().peak - before;
    }

    std::sort(seconds.begin(), seconds.end());
    const double best = seconds.front();
    const double median = seconds[seconds.size() / 2];
    std::printf(
        "parse and walk: best %.1f ms (%.0f tracks/s), median %.1f ms (%.0f tracks/s), %d rounds\n",
        best * 1000, trackCount / best, median * 1000, trackCount / median, rounds);
    std::printf(
        "memory: records kept %zu bytes (%.0f per track), peak %zu bytes, "
        "peak above kept %zu bytes\n",
        kept, static_cast<double>(kept) / trackCount, peakAbove, peakAbove - kept);
    return 0;
}
