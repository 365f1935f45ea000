// Finding tracks by words: a track is found when each word typed occurs in
// its title, artist, album, genre or composer, ignoring letter case and
// accents ("renee" finds "Renée"). The texts of a database's tracks are
// folded once, when it is read, and each word is looked for in time linear
// in the text, whatever the word, so that no database makes a find slow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class OneTrack;

// The text as the find compares it: lower case, accents and other combining
// marks left out, letters such as "ß" and "æ" spelled out ("ss", "ae"), for
// the Latin, Greek and Cyrillic scripts; full-width Latin letters and digits
// as the ASCII ones; other characters as they are.
std::u16string FoldedForFind(std::u16string_view text);

class TrackFind {
public:
    // The most memory the folded texts of one database take, in bytes; the
    // texts of the tracks beyond are folded as they are looked at.
    static constexpr size_t kMostFoldedBytes = size_t{128} << 20;

    // Takes the words of the text typed, separated by blanks. True when they
    // differ from the words taken before.
    bool SetText(std::u16string_view typed);
    // Whether there is a word to find.
    bool Active() const { return !words_.empty(); }
    // Folds the texts of the tracks of a newly read database, dropping those
    // of the last; none when the database was closed.
    void SetTracks(const std::vector<const OneTrack*>& tracks);
    // Whether every word occurs in one of the track's five texts; true for
    // every track while there is no word.
    bool Matches(const OneTrack& track) const;
    // The tracks that match, in their order.
    std::vector<const OneTrack*> Found(const std::vector<const OneTrack*>& tracks) const;

private:
    // A folded word and, for each of its prefixes, the length of the longest
    // proper prefix that is also its suffix: where a search goes on after a
    // mismatch, so that it never looks at a letter of the text twice.
    struct Word {
        std::u16string Text;
        std::vector<uint32_t> Border;
    };
    static Word Prepared(std::u16string text);
    static bool Contains(std::u16string_view text, const Word& word);

    std::vector<Word> words_;
    // Each track's five texts folded, each followed by a line feed, which no
    // word holds, so that no word is found across two of them.
    std::unordered_map<const OneTrack*, std::u16string> folded_;
};
