// Phone databases as the project's writer makes them, of a chosen number of tracks, for the
// inspector window's tests and its benchmark.
#pragma once

#include "iTunesDB.h"

#include <string>

namespace InspectorTest {

// `tracks` tracks with all their texts, in the master playlist and one more.
inline std::string MakeDatabase(int tracks) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i);
        TTrackRowSnapshot r;
        r.Artist = "Artist " + std::to_string(i % 97);
        r.Title = "A title of track number " + n;
        r.Album = "Album " + std::to_string(i % 31);
        r.Time = std::to_string(2 + i % 5) + ":" + std::to_string(i % 60);
        r.Size = std::to_string(3000000 + i);
        r.FileName = "E:\\mobile\\audio\\Artist " + std::to_string(i % 97) + " - track " + n +
                     (i % 4 ? ".mp3" : ".m4a");
        r.BitRate = "128";
        r.UID = n;
        s.Tracks.push_back(r);
    }
    s.PlaylistNames = {"All music", "Favourites"};
    std::vector<std::string> all, some;
    for (int i = 0; i < tracks; ++i) {
        all.push_back(std::to_string(i));
        if (i % 3 == 0)
            some.push_back(std::to_string(i));
    }
    s.PlaylistEntries = {all, some};
    return BuildDatabase(s);
}

// About ten megabytes.
inline std::string MakeTenMegabyteDatabase() {
    return MakeDatabase(12000);
}

} // namespace InspectorTest
