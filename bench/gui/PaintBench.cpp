// A 10 x 10 invalidation of a 1000 x 700 self-drawn control repaints only that rectangle
// into the kept backing image; the whole control's repaint is measured beside it. The same
// control painted whole into a backing image of one and of two device pixels per logical
// pixel shows what a screen of ratio 2 costs.
#include "BenchGui.h"
#include "WinApi.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QWidget>

namespace {

// Paints a busy face: a fill, a grid of lines and a few texts, as a list or bar would.
class TBusyControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clWindow);
        c->FillRect(ClientRect());
        c->Pen()->SetColor(clBtnShadow);
        for (int x = 0; x < Width(); x += 20) {
            c->MoveTo(x, 0);
            c->LineTo(x, Height());
        }
        for (int y = 0; y < Height(); y += 20) {
            c->MoveTo(0, y);
            c->LineTo(Width(), y);
        }
        for (int y = 0; y < Height(); y += 40)
            c->TextOut(4, y + 2, "row " + std::to_string(y / 40));
    }
};

void RunInvalidate(benchmark::State& state, bool small) {
    EnsureGui();
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 1020, 720);
    auto* control = new TBusyControl(form);
    control->SetParent(form);
    control->SetBounds(0, 0, 1000, 700);
    form->Show();
    PumpGui();
    QWidget* widget = control->Widget();
    TRect r = Rect(495, 345, 505, 355);
    for (auto _ : state) {
        InvalidateRect(control, small ? &r : nullptr, true);
        // Paints now, as the next turn of the event loop would.
        widget->repaint(small ? QRect(495, 345, 10, 10) : widget->rect());
    }
    state.counters["paints"] = control->Paints;
    delete form;
    PumpGui();
}

void BM_Invalidate10x10Of1000x700(benchmark::State& s) {
    RunInvalidate(s, true);
}
void BM_InvalidateWhole1000x700(benchmark::State& s) {
    RunInvalidate(s, false);
}
BENCHMARK(BM_Invalidate10x10Of1000x700)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InvalidateWhole1000x700)->Unit(benchmark::kMicrosecond);

// The whole paint of the control into its backing image at device pixel ratio 1 or 2.
void BM_Paint1000x700AtRatio(benchmark::State& state) {
    EnsureGui();
    const int ratio = static_cast<int>(state.range(0));
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 1020, 720);
    auto* control = new TBusyControl(form);
    control->SetParent(form);
    control->SetBounds(0, 0, 1000, 700);
    QImage backing(1000 * ratio, 700 * ratio, QImage::Format_RGB32);
    backing.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        TCanvas canvas(&backing);
        control->PaintTo(canvas);
        benchmark::DoNotOptimize(backing.constBits());
    }
    state.counters["device_pixels"] = static_cast<double>(backing.width()) * backing.height();
    delete form;
    PumpGui();
}
BENCHMARK(BM_Paint1000x700AtRatio)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
