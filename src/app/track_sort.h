// Ordering the track list's rows by one of its columns.
#pragma once

#include <windows.h>

class OneTrack;

// The sort key is the column's index in the column table (TrackColumnId).
//
// Negative when a sorts before b, 0 when equal under the key, positive when
// after. Numbers compare as the column compares them (the length by whole
// seconds); texts compare whole, ignoring case, as the user's language orders
// them. A key that names no column compares everything equal.
int CompareTracks(const OneTrack& a, const OneTrack& b, int key);

// The list view's comparison callback (LVM_SORTITEMS): the item data are the
// rows' tracks and the application value is the key.
int CALLBACK CompareTrackRows(LPARAM a, LPARAM b, LPARAM key);
