// The windows' language files: applying one to every window that exists, and writing the file
// of the windows' built-in texts that ships as "English.lng".
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TBvTranslator;
class TComponent;
class TCustomForm;
class TTrackManager;

// Applies a language file to every window that exists and to the message strings
// registered with the translator, then lets the options dialog place its controls for
// the new captions and keeps the bitrate's unit caption in TOptions. The manager's
// LanguageSink calls it.
void ApplyLanguageFile(TBvTranslator& translator, TTrackManager& manager,
                       const std::string& fileName);

// The language file of the windows' built-in texts: for each window, its caption and the
// captions and hints of the components it owns that a language file may change (texts of
// one line, as a language file's properties hold), and the message strings with their
// built-in texts. The shipped "English.lng" is this text, so choosing it after another
// language gives every window its own texts back. Labels that show data rather than a text
// (a size, a row number) are left out: a language file must not put their first value back.
std::string BuiltInLanguageText(const std::vector<TCustomForm*>& windows,
                                const TTrackManager& manager,
                                const std::vector<std::string_view>& messageNames,
                                const std::vector<const TComponent*>& dataLabels);
