// Ordering the track list's rows by one of its nine columns.
#pragma once

#include <windows.h>

class OneTrack;

// Sort keys are the column indexes: 0 track number, 1 title, 2 artist,
// 3 album, 4 length, 5 track type, 6 encoding, 7 bit rate, 8 sample rate.
//
// Negative when a sorts before b, 0 when equal under the key, positive when
// after. Numbers compare as numbers (the length by whole seconds); texts
// compare whole, ignoring case, as the user's language orders them. Any other
// key compares everything equal.
int CompareTracks(const OneTrack& a, const OneTrack& b, int key);

// The list view's comparison callback (LVM_SORTITEMS): the item data are the
// rows' tracks and the application value is the key.
int CALLBACK CompareTrackRows(LPARAM a, LPARAM b, LPARAM key);
