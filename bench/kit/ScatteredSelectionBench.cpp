// A long playlist box with every third line chosen (a third of the lines, each its own run):
// showing that selection, and what the user does next (a click, Ctrl+click, Shift+click, the
// arrow keys, Select all, Invert selection), each as the longest turn of the event loop it
// takes, on the wall clock and as the GUI thread's processor time. Once with stored entries
// (the track view) and once with virtual ones (the library box), at 1,000, 10,000 and
// 100,000 lines.
#include "BenchGui.h"
#include "BvPlaylist.h"
#include "LongestTurn.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace {

enum class TStep { Show, Click, CtrlClick, ShiftClick, Down, ShiftDown, SelectAll, Invert };

std::string Entry(int i) {
    return "C:\\Music\\Artist " + std::to_string(i % 97) + "\\Title " + std::to_string(i) + ".mp3";
}

struct TScatteredFixture {
    TForm* Form;
    TBvPlaylist* Box;
    std::vector<int> Chosen;
    int Lines;

    TScatteredFixture(bool virtualEntries, int lines) : Lines(lines) {
        EnsureGui();
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 420, 440);
        Box = new TBvPlaylist(Form);
        Box->SetParent(Form);
        Box->SetBounds(0, 0, 400, 400);
        Box->SetMultiSelect(true);
        Box->SetShowNumbers(true);
        if (virtualEntries) {
            Box->SetVirtualEntries(lines, Entry, [](int i) { return i; });
        } else {
            std::vector<std::pair<std::string, int>> entries;
            entries.reserve(static_cast<size_t>(lines));
            for (int i = 0; i < lines; ++i)
                entries.emplace_back(Entry(i), i);
            Box->SetEntries(entries);
        }
        for (int i = 0; i < lines; i += 3)
            Chosen.push_back(i);
        Form->Show();
        PumpGui();
    }
    ~TScatteredFixture() {
        delete Form;
        PumpGui();
    }
    QWidget* Viewport() const {
        auto* area = dynamic_cast<QAbstractScrollArea*>(Box->Widget());
        return area ? area->viewport() : Box->Widget();
    }
    // The middle of a line in sight, a few lines below the top.
    QPoint LinePoint(int below) const {
        const TRect r = Box->ItemRect(Box->TopIndex() + below);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void Click(int below, Qt::KeyboardModifiers modifiers) const {
        const QPoint at = LinePoint(below);
        const QPointF global = Viewport()->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton,
                          Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                            Qt::NoButton, modifiers);
        QApplication::sendEvent(Viewport(), &release);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers) const {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(Box->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(Box->Widget(), &release);
    }
    // Every third line chosen, the focus in the middle of the list and in sight.
    void Scatter() {
        Box->SetSelection(Chosen, Lines / 2);
        Box->SetTopIndex(Lines / 2 - 1);
    }
};

void ScatteredSelection(benchmark::State& state, bool virtualEntries, TStep step) {
    const int lines = static_cast<int>(state.range(0));
    TScatteredFixture f(virtualEntries, lines);
    TLongestTurn longest;
    const int chosen = static_cast<int>(f.Chosen.size());
    int expected = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (step == TStep::Show)
            f.Box->SetSelection({}, -1);
        else
            f.Scatter();
        PumpGui();
        f.Box->Widget()->setFocus();
        PumpGui();
        state.ResumeTiming();
        LongestTurn(
            longest,
            [&] {
                switch (step) {
                case TStep::Show:
                    f.Scatter();
                    expected = chosen;
                    break;
                case TStep::Click:
                    f.Click(4, Qt::NoModifier);
                    expected = 1;
                    break;
                case TStep::CtrlClick:
                    // Line 4 below the top (which is one short of the middle) is not chosen.
                    f.Click(4, Qt::ControlModifier);
                    expected = chosen + 1;
                    break;
                case TStep::ShiftClick:
                    f.Click(8, Qt::ShiftModifier);
                    expected = -1;
                    break;
                case TStep::Down:
                    f.Key(Qt::Key_Down, Qt::NoModifier);
                    expected = 1;
                    break;
                case TStep::ShiftDown:
                    f.Key(Qt::Key_Down, Qt::ShiftModifier);
                    expected = -1;
                    break;
                case TStep::SelectAll:
                    f.Box->SelectAll();
                    expected = lines;
                    break;
                case TStep::Invert:
                    f.Box->InvertSelection();
                    expected = lines - chosen;
                    break;
                }
            },
            [] { return true; });
    }
    const int count = f.Box->SelCount();
    if (expected >= 0 ? count != expected : count < 1)
        state.SkipWithError("wrong selection");
    Report(state, longest);
}

} // namespace

#define BV_SCATTERED_BENCH(name, virtualEntries, step)                                             \
    BENCHMARK_CAPTURE(ScatteredSelection, name, virtualEntries, step)                              \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(5)                                                                            \
        ->Arg(1000)                                                                                \
        ->Arg(10000)                                                                               \
        ->Arg(100000)

BV_SCATTERED_BENCH(show_stored, false, TStep::Show);
BV_SCATTERED_BENCH(show_virtual, true, TStep::Show);
BV_SCATTERED_BENCH(click_stored, false, TStep::Click);
BV_SCATTERED_BENCH(click_virtual, true, TStep::Click);
BV_SCATTERED_BENCH(ctrl_click_stored, false, TStep::CtrlClick);
BV_SCATTERED_BENCH(ctrl_click_virtual, true, TStep::CtrlClick);
BV_SCATTERED_BENCH(shift_click_stored, false, TStep::ShiftClick);
BV_SCATTERED_BENCH(shift_click_virtual, true, TStep::ShiftClick);
BV_SCATTERED_BENCH(down_key_stored, false, TStep::Down);
BV_SCATTERED_BENCH(shift_down_key_stored, false, TStep::ShiftDown);
BV_SCATTERED_BENCH(select_all_stored, false, TStep::SelectAll);
BV_SCATTERED_BENCH(invert_stored, false, TStep::Invert);
BV_SCATTERED_BENCH(invert_virtual, true, TStep::Invert);
