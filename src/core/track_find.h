// Finding tracks by words: a track is found when each word typed occurs in
// its title, artist, album, genre or composer, ignoring letter case and
// accents ("beyonce" finds "Beyoncé").
#pragma once

#include <string>
#include <string_view>
#include <vector>

class OneTrack;

// The text as the find compares it: lower case, accents and other combining
// marks left out, letters such as "ß" and "æ" spelled out ("ss", "ae"), for
// the Latin, Greek and Cyrillic scripts; full-width Latin letters and digits
// as the ASCII ones; other characters as they are.
std::u16string FoldedForFind(std::u16string_view text);

class TrackFind {
public:
    // Takes the words of the text typed, separated by blanks. True when they
    // differ from the words taken before.
    bool SetText(std::u16string_view typed);
    // Whether there is a word to find.
    bool Active() const { return !words_.empty(); }
    // Whether every word occurs in one of the track's five texts; true for
    // every track while there is no word.
    bool Matches(const OneTrack& track) const;
    // The tracks that match, in their order.
    std::vector<const OneTrack*> Found(const std::vector<const OneTrack*>& tracks) const;

private:
    std::vector<std::u16string> words_;  // folded
};
