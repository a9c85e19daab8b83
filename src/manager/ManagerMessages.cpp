#include "ManagerMessages.h"

#include <cctype>

namespace {

struct TBuiltIn {
    std::string_view Name;
    std::string_view Text;
};

constexpr TBuiltIn BuiltInMessages[] = {
    {MessageName::BuildingiTunesDB, "Building iTunesDB"},
    {MessageName::SavingiTunesDB, "Saving iTunesDB"},
    {MessageName::MobileUpdated, "Mobile updated!"},
    {MessageName::SuccessfullyCopied, " was successfully copied"},
    {MessageName::NoSenseToCopy, "No sense to copy %s. Same file already exists."},
    {MessageName::CopyingFile, "Copying file: %s"},
    {MessageName::EncodingFile, "Encoding file: %s"},
    {MessageName::WasConverted, "%s was converted"},
    {MessageName::DecodingFile, "Decoding file: %s"},
    {MessageName::CreatingDirectories, "Creating directories for iTunesDB"},
    {MessageName::AllFilesCopied, "All files were successfuly copied."},
    {MessageName::AllFilesEncoded, "All files were successfuly encoded."},
    {MessageName::ReadingDatabase, "Reading iTunes database..."},
    {MessageName::BuildingPlaylists, "Building playlists..."},
    {MessageName::SearchingBadLinks, "Searching for bad links..."},
    {MessageName::ScaningMobile, "Scaning mobile for files..."},
    {MessageName::NotEnoughSpace1, "Not enough space to store files on mobile."},
    {MessageName::NotEnoughSpace2, "You need to free %s Kbytes."},
    {MessageName::NoFloppy, "You can't choose floppy drive!"},
    {MessageName::DoYouWantToDelete1, "Do you want to delete files from your MOBILE?"},
    {MessageName::DoYouWantToDelete2,
     "Choose YES if you want to delete files from playlist and from mobile phone."},
    {MessageName::DoYouWantToDelete3, "Choose NO if you want to delete files just from tracklist."},
    {MessageName::SkeepingFile, "Not enough space! Skeeping file %s"},
    {MessageName::AllMusic, "All music"},
    {MessageName::NewPlaylist, "New playlist"},
    {MessageName::RenamePlaylist, "Rename playlist"},
    {MessageName::CreatePlaylist, "Create new playlist"},
    {MessageName::TypeNameOfPlaylist, "Type name of playlist:"},
};

} // namespace

TManagerMessages::TManagerMessages() {
    for (const TBuiltIn& m : BuiltInMessages)
        Register(m.Name, m.Text);
}

const TManagerMessages::TItem* TManagerMessages::Find(std::string_view name) const {
    for (const TItem& item : items_)
        if (item.Name == name)
            return &item;
    return nullptr;
}

TManagerMessages::TItem* TManagerMessages::Find(std::string_view name) {
    return const_cast<TItem*>(static_cast<const TManagerMessages*>(this)->Find(name));
}

bool TManagerMessages::IsRegistered(std::string_view name) const {
    return Find(name) != nullptr;
}

const std::string& TManagerMessages::Text(std::string_view name) const {
    const TItem* item = Find(name);
    if (!item)
        throw EBvException(Format("Message string \"%s\" is not registered", {name}));
    if (item->Text.find('%') == std::string::npos && item->Default.find('%') == std::string::npos)
        return item->Text;
    return PlaceholderSignature(item->Text) == PlaceholderSignature(item->Default) ? item->Text
                                                                                   : item->Default;
}

std::string& TManagerMessages::Variable(std::string_view name) {
    TItem* item = Find(name);
    if (!item)
        throw EBvException(Format("Message string \"%s\" is not registered", {name}));
    return item->Text;
}

const std::string& TManagerMessages::DefaultText(std::string_view name) const {
    const TItem* item = Find(name);
    if (!item)
        throw EBvException(Format("Message string \"%s\" is not registered", {name}));
    return item->Default;
}

void TManagerMessages::Register(std::string_view name, std::string_view defaultText) {
    if (Find(name))
        return;
    items_.push_back({std::string(name), std::string(defaultText), std::string(defaultText)});
}

bool TManagerMessages::SetText(std::string_view name, std::string_view text) {
    TItem* item = Find(name);
    if (!item)
        return false;
    if (PlaceholderSignature(text) != PlaceholderSignature(item->Default))
        return false;
    item->Text = std::string(text);
    return true;
}

void TManagerMessages::ResetToDefaults() {
    for (TItem& item : items_)
        item.Text = item.Default;
}

std::string TManagerMessages::Fmt(std::string_view name,
                                  std::initializer_list<TVarRec> args) const {
    try {
        return Format(Text(name), args);
    } catch (const EConvertError&) {
        return Format(DefaultText(name), args);
    }
}

std::string TManagerMessages::PlaceholderSignature(std::string_view format) {
    std::string signature;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        // Index, alignment, width and precision may stand before the type letter.
        while (i < format.size() &&
               (std::isdigit(static_cast<unsigned char>(format[i])) || format[i] == ':' ||
                format[i] == '-' || format[i] == '.' || format[i] == '*'))
            ++i;
        signature += i < format.size()
                         ? static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])))
                         : '?';
    }
    return signature;
}
