// Applying a language file: the translator sets the texts, then the windows that place their
// controls by their captions are laid out again.
#include "LanguageFiles.h"

#include "BvTranslator.h"
#include "UnitOptions.h"

void ApplyLanguageFile(TBvTranslator& translator, TTrackManager& manager,
                       const std::string& fileName) {
    translator.Translate(fileName);
    // Texts cut to the translator's bound: the file and each text are named once.
    if (!translator.Warning().empty())
        manager.Ui().ShowWarning(translator.Warning());
    if (!Screen)
        return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* options = dynamic_cast<TForm2*>(Screen->Forms(i));
            options && &options->Manager() == &manager) {
            options->LayoutControls();
            // The track view's bitrate follows the dialog's unit caption.
            manager.Options.Label10 = options->Label10->Caption();
        }
    manager.RefreshTrackView();
}
