// Shortening a caption to a width with "...": a long text must cost a few measurements,
// not one per character.
#include "BenchGui.h"
#include "BvDrawUtils.h"
#include "Graphics.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A text of the given length shortened into 300 pixels (a caption in a window), and into half
// its own width (the most a long text can cost).
void RunMinimizeText(benchmark::State& state, bool toHalf) {
    EnsureGui();
    TCanvas canvas;
    canvas.Font()->SetName("DejaVu Sans");
    canvas.Font()->SetHeight(-12);
    auto length = static_cast<size_t>(state.range(0));
    std::string text;
    while (text.size() <= length)
        text += "Artist - Title of a song (Remastered) \xC3\xBC ";
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length; // never half a letter
    text.resize(length);
    const int width = toHalf ? canvas.TextWidth(text) / 2 : 300;
    for (auto _ : state)
        benchmark::DoNotOptimize(MinimizeText(text, &canvas, width));
}

void BM_MinimizeText(benchmark::State& state) {
    RunMinimizeText(state, false);
}
void BM_MinimizeTextToHalf(benchmark::State& state) {
    RunMinimizeText(state, true);
}
BENCHMARK(BM_MinimizeText)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MinimizeTextToHalf)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

} // namespace
