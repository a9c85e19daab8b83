// A whole process that writes or reads one phone database, for timing the program's
// writer and reader from start to exit against other programs that do the same:
//   bv_database_process w N OUT   writes a database of N tracks and 100 playlists
//                                 (the master list of every track and 99 lists of 100
//                                 items), the image written to OUT piece by piece
//   bv_database_process s N OUT   the same, saved as an update saves it (the image
//                                 written piece by piece to a temporary file flushed
//                                 to the disk, then renamed over OUT)
//   bv_database_process p DB      reads DB as the card read does: no report, the
//                                 tracks and every playlist's track keys collected
#include "DatabaseInspector.h"
#include "Drives.h"
#include "SafeFiles.h"
#include "iTunesDB.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A prefix and a number, made without the formatting machinery of printf: the texts
// are the same as libgpod's program makes, built as cheaply as the machine allows.
std::string Numbered(std::string_view prefix, int64_t n, int width = 0) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    const size_t length = static_cast<size_t>(end - digits);
    const size_t zeros = length < static_cast<size_t>(width) ? width - length : 0;
    std::string s;
    s.reserve(prefix.size() + zeros + length + 4);
    s += prefix;
    s.append(zeros, '0');
    s.append(digits, length);
    return s;
}

TDatabaseSnapshot Library(int tracks) {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    s.Tracks.reserve(static_cast<size_t>(tracks));
    for (int i = 0; i < tracks; ++i) {
        std::string file = Numbered("E:\\mobile\\audio\\track", i, 5);
        file += ".mp3";
        s.Tracks.push_back({Numbered("Artist ", i % 500), Numbered("Title number ", i),
                            Numbered("Album ", i % 900), "3:20", Numbered("", 1000000 + i),
                            std::move(file), "128", Numbered("", i)});
    }
    s.PlaylistNames.push_back("All music");
    std::vector<std::string> all;
    all.reserve(static_cast<size_t>(tracks));
    for (int i = 0; i < tracks; ++i)
        all.push_back(Numbered("", i));
    s.PlaylistEntries.push_back(std::move(all));
    for (int k = 0; k < 99; ++k) {
        s.PlaylistNames.push_back(Numbered("List ", k));
        std::vector<std::string> entries;
        entries.reserve(100);
        for (int j = 0; j < 100; ++j)
            entries.push_back(Numbered("", (int64_t{k} * 7919 + int64_t{j} * 104729) % tracks));
        s.PlaylistEntries.push_back(std::move(entries));
    }
    return s;
}

// Raises EWriteError when a piece cannot be written.
void WritePieces(const char* path, const TDatabaseImageWriter& image) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const auto fail = [path] {
        throw EWriteError(Format("%s: %s", {std::string_view(path), std::strerror(errno)}));
    };
    if (fd < 0)
        fail();
    try {
        image.Write([&](std::string_view piece) {
            for (size_t done = 0; done < piece.size();) {
                const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    if (n == 0)
                        errno = ENOSPC;
                    fail();
                }
                done += static_cast<size_t>(n);
            }
        });
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        fail();
}

std::string WindowsPathOf(const char* path) {
    char* full = ::realpath(path, nullptr);
    std::string resolved = full ? full : path;
    std::free(full);
    return ToWindowsPath(resolved);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const char mode = argc >= 3 ? argv[1][0] : '?';
        if ((mode == 'w' || mode == 's') && argc == 4) {
            const int tracks = std::atoi(argv[2]);
            if (tracks <= 0) {
                std::fprintf(stderr, "N must be a positive number\n");
                return 2;
            }
            const TDatabaseSnapshot library = Library(tracks);
            const TDatabaseImageWriter image(library);
            if (mode == 'w') {
                WritePieces(argv[3], image);
                return 0;
            }
            // The folder must exist for its path to be resolved.
            const int fd = ::open(argv[3], O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
            ContainedReplaceFile(WindowsPathOf(argv[3]),
                                 [&image](const TImagePieceSink& write) { image.Write(write); });
            return 0;
        }
        if (mode == 'p' && argc == 3) {
            TBvMultiStringHolder temp = MakeTempStringHolder();
            TPlaylistLists uids;
            TReaderContext context;
            context.PhoneDrive = 'E';
            TDatabaseInspector inspector;
            inspector.OpenPhoneDB(WindowsPathOf(argv[2]), temp, uids, context, false);
            size_t items = 0;
            for (const TStringList& list : uids)
                items += static_cast<size_t>(list.Count());
            std::printf("tracks %d playlists %d items %zu\n", temp.StringsByName("UID").Count(),
                        temp.StringsByName(PlaylistNamesColumn).Count(), items);
            return 0;
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
    std::fprintf(stderr, "usage: bv_database_process w N OUT | s N OUT | p DB\n");
    return 2;
}
