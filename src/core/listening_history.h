// The listening history a player keeps since its last sync: each play (and
// skip) of its music with the time it started, for the services that keep a
// person's history. Last.fm's submitters read the log that portable players
// write (.scrobbler.log, version 1.1); ListenBrainz takes its listens as
// JSON.
//
// The player keeps, per track, the plays and skips since the sync and the
// time of the last of each, on the clock of the PC that synced it. Earlier
// plays have no time of their own: they are placed one track length apart,
// counting back from the last (the play before ended when the last began),
// and their times are estimated. Skips likewise. Plays before the sync are
// not history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_writer.h"
#include "player_time.h"

class OneTrack;

// One play or skip.
struct Listen {
    const OneTrack* Track = nullptr;
    int64_t Started = 0;  // seconds since 1970, UTC
    bool Skipped = false;
};

struct ListeningHistory {
    // Oldest first; those of one time in the player's order of the tracks,
    // a track's plays before its skips.
    std::vector<Listen> Listens;
    size_t Plays = 0;           // the listens that are no skips
    size_t EstimatedPlays = 0;  // of them, those whose time was counted back
    // Plays and skips of music that no time can be given: the track has no
    // time of its last, or a time that comes out before 1904 or that the
    // PC cannot convert.
    size_t LeftOut = 0;
};

// The most plays, and the most skips, of one track placed; more are left
// out (a real player counts a few dozen between syncs).
inline constexpr uint32_t kMostListensOfATrack = 1000;

// The history of the music among the tracks (neither video, podcast nor
// audiobook, with an artist and a title), times converted by `localToUtc`.
ListeningHistory GatherListeningHistory(const std::vector<const OneTrack*>& tracksInFileOrder,
                                        const LocalToUtc& localToUtc);

// The history as .scrobbler.log: UTF-8 without a byte-order mark, lines
// ended by LF, the three header lines, then a line a play or skip of eight
// fields separated by TAB (artist, album, title, track number or nothing,
// length in whole seconds, "L" or "S", the start in seconds since 1970 UTC,
// an empty MusicBrainz id); a TAB, CR or LF in a text is a space. False
// once a write failed.
bool WriteScrobblerLog(const ListeningHistory& history, BlockWriter& output);

// The plays as ListenBrainz listens: a JSON array of objects, oldest first,
// each with "listened_at" and "track_metadata" (artist, title, release
// where there is one, and "additional_info"). Skips are no listens. False
// once a write failed.
bool WriteListenBrainzListens(const ListeningHistory& history, BlockWriter& output);
