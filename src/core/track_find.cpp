#include "track_find.h"

#include <algorithm>
#include <iterator>

#include "onetrack.h"

namespace {

// The base letters of U+00C0 to U+017F, lower case; the letters spelled out
// with two (FoldedLetters) are handled before.
constexpr std::u16string_view kLatinBases =
    u"aaaaaaaceeeeiiiidnooooo\u00D7ouuuuyts"  // U+00C0
    u"aaaaaaaceeeeiiiidnooooo\u00F7ouuuuyty"  // U+00E0
    u"aaaaaaccccccccddddeeeeeeeeeegggg"       // U+0100
    u"gggghhhhiiiiiiiiiiiijjkkklllllll"       // U+0120
    u"lllnnnnnnnnnoooooooorrrrrrssssss"       // U+0140
    u"ssttttttuuuuuuuuuuuuwwyyyzzzzzzs";      // U+0160
static_assert(kLatinBases.size() == 0x180 - 0xC0);

// Letters that fold to two.
std::u16string_view FoldedLetters(char16_t c) {
    switch (c) {
        case u'\u00C6':
        case u'\u00E6':
            return u"ae";
        case u'\u00DF':
            return u"ss";
        case u'\u00DE':
        case u'\u00FE':
            return u"th";
        case u'\u0132':
        case u'\u0133':
            return u"ij";
        case u'\u0152':
        case u'\u0153':
            return u"oe";
        default:
            return {};
    }
}

// Greek letters with accents and diaeresis, U+0386 to U+03CE, as their
// plain lower-case letters; 0 where there is no letter.
char16_t GreekFolded(char16_t c) {
    switch (c) {
        case u'\u0386':
        case u'\u03AC':
            return u'\u03B1';
        case u'\u0388':
        case u'\u03AD':
            return u'\u03B5';
        case u'\u0389':
        case u'\u03AE':
            return u'\u03B7';
        case u'\u038A':
        case u'\u03AA':
        case u'\u03AF':
        case u'\u0390':
        case u'\u03CA':
            return u'\u03B9';
        case u'\u038C':
        case u'\u03CC':
            return u'\u03BF';
        case u'\u038E':
        case u'\u03AB':
        case u'\u03CD':
        case u'\u03B0':
        case u'\u03CB':
            return u'\u03C5';
        case u'\u038F':
        case u'\u03CE':
            return u'\u03C9';
        case u'\u03C2':  // the final sigma
            return u'\u03C3';
        default:
            return c >= u'\u0391' && c <= u'\u03A9' ? c + 0x20 : c;
    }
}

// Cyrillic letters, U+0400 to U+045F: lower case, and the letters with marks
// as their base letters.
char16_t CyrillicFolded(char16_t c) {
    if (c >= u'\u0410' && c <= u'\u042F') {
        c += 0x20;
    } else if (c >= u'\u0400' && c <= u'\u040F') {
        c += 0x50;
    }
    switch (c) {
        case u'\u0450':
        case u'\u0451':
            return u'\u0435';  // е
        case u'\u0453':
            return u'\u0433';  // г
        case u'\u0457':
            return u'\u0456';  // і
        case u'\u045C':
            return u'\u043A';  // к
        case u'\u045D':
        case u'\u0439':
            return u'\u0438';  // и
        case u'\u045E':
            return u'\u0443';  // у
        default:
            return c;
    }
}

void AppendFolded(std::u16string& folded, char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        folded += static_cast<char16_t>(c + 0x20);
    } else if (c < 0xC0) {
        folded += c;
    } else if (c < 0x180) {
        const std::u16string_view letters = FoldedLetters(c);
        if (letters.empty()) {
            folded += kLatinBases[c - 0xC0];
        } else {
            folded += letters;
        }
    } else if (c >= 0x300 && c <= 0x36F) {
        // A combining mark: left out.
    } else if (c >= 0x386 && c <= 0x3CE) {
        folded += GreekFolded(c);
    } else if (c >= 0x400 && c <= 0x45F) {
        folded += CyrillicFolded(c);
    } else if (c >= 0xFF10 && c <= 0xFF19) {  // full-width digits
        folded += static_cast<char16_t>(u'0' + (c - 0xFF10));
    } else if (c >= 0xFF21 && c <= 0xFF3A) {  // full-width letters
        folded += static_cast<char16_t>(u'a' + (c - 0xFF21));
    } else if (c >= 0xFF41 && c <= 0xFF5A) {
        folded += static_cast<char16_t>(u'a' + (c - 0xFF41));
    } else {
        folded += c;
    }
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000' || c == u'\r' || c == u'\n';
}

// The five texts a find looks in, folded and each followed by a line feed.
std::u16string FoldedTexts(const OneTrack& track) {
    const std::u16string* texts[] = {&track.GetTitle(), &track.GetArtist(), &track.GetAlbum(),
                                     &track.GetGenre(), &track.GetComposer()};
    std::u16string folded;
    size_t length = std::size(texts);  // the line feeds
    for (const std::u16string* text : texts) {
        length += text->size();
    }
    folded.reserve(length);  // folding seldom lengthens a text
    for (const std::u16string* text : texts) {
        for (const char16_t c : *text) {
            AppendFolded(folded, c);
        }
        folded += u'\n';
    }
    return folded;
}

}  // namespace

std::u16string FoldedForFind(std::u16string_view text) {
    std::u16string folded;
    folded.reserve(text.size());
    for (const char16_t c : text) {
        AppendFolded(folded, c);
    }
    return folded;
}

bool TrackFind::SetText(std::u16string_view typed) {
    std::vector<std::u16string> words;
    const std::u16string folded = FoldedForFind(typed);
    for (size_t start = 0; start < folded.size();) {
        const auto blank = std::find_if(folded.begin() + static_cast<std::ptrdiff_t>(start),
                                        folded.end(), IsBlank);
        const auto end = static_cast<size_t>(blank - folded.begin());
        if (end > start) {
            words.push_back(folded.substr(start, end - start));
        }
        start = end + 1;
    }
    const bool same =
        std::equal(words.begin(), words.end(), words_.begin(), words_.end(),
                   [](const std::u16string& a, const Word& b) { return a == b.Text; });
    if (same) {
        return false;
    }
    words_.clear();
    for (std::u16string& word : words) {
        words_.push_back(Prepared(std::move(word)));
    }
    return true;
}

void TrackFind::SetTracks(const std::vector<const OneTrack*>& tracks) {
    folded_ = {};
    // A map entry and its text's block cost about this beyond the text.
    constexpr size_t kEntryBytes = 64;
    size_t held = 0;
    for (const OneTrack* track : tracks) {
        if (folded_.contains(track)) {
            continue;
        }
        std::u16string texts = FoldedTexts(*track);
        held += texts.capacity() * sizeof(char16_t) + kEntryBytes;
        if (held > kMostFoldedBytes) {
            return;
        }
        folded_.emplace(track, std::move(texts));
    }
}

TrackFind::Word TrackFind::Prepared(std::u16string text) {
    Word word{std::move(text), {}};
    word.Border.assign(word.Text.size(), 0);
    uint32_t border = 0;
    for (size_t i = 1; i < word.Text.size(); ++i) {
        while (border > 0 && word.Text[i] != word.Text[border]) {
            border = word.Border[border - 1];
        }
        if (word.Text[i] == word.Text[border]) {
            ++border;
        }
        word.Border[i] = border;
    }
    return word;
}

bool TrackFind::Contains(std::u16string_view text, const Word& word) {
    const size_t length = word.Text.size();
    size_t matched = 0;
    for (const char16_t c : text) {
        while (matched > 0 && word.Text[matched] != c) {
            matched = word.Border[matched - 1];
        }
        if (word.Text[matched] == c && ++matched == length) {
            return true;
        }
    }
    return false;
}

bool TrackFind::Matches(const OneTrack& track) const {
    if (words_.empty()) {
        return true;
    }
    const auto kept = folded_.find(&track);
    const std::u16string foldedHere = kept == folded_.end() ? FoldedTexts(track) : std::u16string();
    const std::u16string_view texts = kept == folded_.end() ? foldedHere : kept->second;
    return std::all_of(words_.begin(), words_.end(),
                       [texts](const Word& word) { return Contains(texts, word); });
}

std::vector<const OneTrack*> TrackFind::Found(const std::vector<const OneTrack*>& tracks) const {
    std::vector<const OneTrack*> found;
    for (const OneTrack* track : tracks) {
        if (Matches(*track)) {
            found.push_back(track);
        }
    }
    return found;
}
