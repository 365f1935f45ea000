// Sub-folders for extracted tracks, built from the user's folder pattern such
// as "%artist%\%album%": each level between the backslashes is built like a
// file name (same placeholders, case rules and character map), so a track's
// texts can never add a level or climb out of the destination.
#pragma once

#include <string>
#include <string_view>

class OneTrack;

// The folders `track` goes into under `folderPattern`, relative to the
// destination: each level followed by a backslash, or empty for an empty
// pattern. A level that Windows could not keep as it is (empty, only dots
// and blanks, a device name) becomes "Unknown Artist" or "Unknown Album"
// where the level is just that placeholder, else "_"; trailing dots and
// blanks, which Windows would drop, are dropped here.
std::u16string BuildTargetFolder(std::u16string_view folderPattern, const OneTrack& track);
