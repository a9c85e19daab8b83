#include "BvSplitter.h"

#include "BvThemes.h"

const TClassInfo& TBvSplitter::StaticClassInfo() {
    static const TClassInfo info("TBvSplitter", &TBvExSplitter::StaticClassInfo(), {},
                                 "BvSplitter");
    return info;
}

TBvSplitter::TBvSplitter(TComponent* owner) : TBvExSplitter(owner) {
    IncludeThemeStyle(this, csParentBackground);
}

void TBvSplitter::Paint() {
    if (!ThemeServices()->ThemesEnabled()) {
        TBvExSplitter::Paint();
        return;
    }
    // With themes: the framework's painting goes into a bitmap whose face colour is
    // transparent, so the parent's themed background shows through.
    TBitmap bitmap(Width(), Height());
    TCanvas* own = Canvas();
    TCanvas* into = bitmap.Canvas();
    canvas_ = into;
    into->SetFont(*Font());
    TBvExSplitter::Paint();
    canvas_ = own;
    bitmap.SetTransparentColor(Color());
    bitmap.SetTransparent(true);
    own->Draw(0, 0, &bitmap);
}
