// The track manager's translatable message strings, registered by name with a
// built-in text that a language file may replace.
#pragma once

#include "SysUtils.h"

#include <deque>
#include <string>
#include <string_view>

// The registered names, in registration order.
namespace MessageName {
inline constexpr std::string_view BuildingiTunesDB = "Building iTunesDB";
inline constexpr std::string_view SavingiTunesDB = "Saving iTunesDB";
inline constexpr std::string_view MobileUpdated = "Mobile updated!";
inline constexpr std::string_view SuccessfullyCopied = " was successfully copied";
inline constexpr std::string_view NoSenseToCopy = "No sense to copy %s. Same file already exists.";
inline constexpr std::string_view CopyingFile = "Copying file: %s";
inline constexpr std::string_view EncodingFile = "Encoding file: %s";
inline constexpr std::string_view WasConverted = "%s was converted";
inline constexpr std::string_view DecodingFile = "Decoding file: %s";
inline constexpr std::string_view CreatingDirectories = "Creating directories for iTunesDB";
inline constexpr std::string_view AllFilesCopied = "All files were successfuly copied.";
inline constexpr std::string_view AllFilesEncoded = "All files were successfuly encoded.";
inline constexpr std::string_view ReadingDatabase = "Reading iTunes database...";
inline constexpr std::string_view BuildingPlaylists = "Building playlists...";
inline constexpr std::string_view SearchingBadLinks = "Searching for bad links...";
inline constexpr std::string_view ScaningMobile = "Scaning mobile for files...";
inline constexpr std::string_view NotEnoughSpace1 = "Not_Enough_space1";
inline constexpr std::string_view NotEnoughSpace2 = "Not_Enough_space2";
inline constexpr std::string_view NoFloppy = "no_floppy";
inline constexpr std::string_view DoYouWantToDelete1 = "do_you_want_to_delete1";
inline constexpr std::string_view DoYouWantToDelete2 = "do_you_want_to_delete2";
inline constexpr std::string_view DoYouWantToDelete3 = "do_you_want_to_delete3";
inline constexpr std::string_view SkeepingFile = "skeeping_file";
inline constexpr std::string_view AllMusic = "All music";
inline constexpr std::string_view NewPlaylist = "New playlist";
inline constexpr std::string_view RenamePlaylist = "Rename playlist";
inline constexpr std::string_view CreatePlaylist = "Create playlist";
inline constexpr std::string_view TypeNameOfPlaylist = "Type name of playlist";
} // namespace MessageName

// Strings the track manager adds to those above when it is made, so that a
// language file applied at any time finds them.
namespace MessageName {
inline constexpr std::string_view OperationRunning = "operation_running";
inline constexpr std::string_view PlaylistLimit = "playlist_limit";
inline constexpr std::string_view FilesNotDeleted = "files_not_deleted";
} // namespace MessageName

class TManagerMessages {
public:
    // Holds the 28 strings with their built-in texts, in registration order.
    TManagerMessages();

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Name(int index) const { return items_.at(index).Name; }
    // The current text, or the built-in one while the current text's placeholders
    // differ from it; EBvException for a name that is not registered.
    const std::string& Text(std::string_view name) const;
    const std::string& DefaultText(std::string_view name) const;
    bool IsRegistered(std::string_view name) const;

    // Adds a string (a later feature's own message); a name already there keeps
    // its entry.
    void Register(std::string_view name, std::string_view defaultText);
    // Replaces a text by name, as a language file does. A text whose placeholders
    // differ from the built-in text's is refused, so a bad translation can never
    // make a command fail; false then, and for an unknown name.
    bool SetText(std::string_view name, std::string_view text);
    void ResetToDefaults();
    // The text itself, for a translator that writes registered variables by name;
    // it stays at one address for the object's life. Text() still guards its use.
    std::string& Variable(std::string_view name);

    // Format of the current text; should it still not fit the arguments, the
    // built-in text is used.
    std::string Fmt(std::string_view name, std::initializer_list<TVarRec> args) const;

    // The placeholder kinds of a format text in order ("%s%d" -> "sd"); "%%" is
    // no placeholder.
    static std::string PlaceholderSignature(std::string_view format);

private:
    struct TItem {
        std::string Name;
        std::string Default;
        std::string Text;
    };
    const TItem* Find(std::string_view name) const;
    TItem* Find(std::string_view name);

    // A deque, so that Variable() references survive later registrations.
    std::deque<TItem> items_;
};
