// The main dialog on real Qt widgets (offscreen) with a file of 100,000 chunks, 50,000
// sprites and 50,000 palettes: Browse from the chooser's answer until every list is filled
// and the window has painted, and one drop-down of a palette box opened and closed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <string>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "ui/qt/qt_window_system.h"

using namespace builders;

namespace {

constexpr int kSprites = 50000, kPalettes = 50000;

const std::string& LargeFile() {
    static const std::string path = [] {
        IffSpec layout;
        Spr2Grid g(3, 2);
        for (int i = 0; i < 6; ++i) g.Set(i % 3, i / 3, i);
        for (int i = 0; i < kPalettes; ++i)
            layout.chunks.push_back(PaltChunk(static_cast<WORD>(i), TestPalette()));
        for (int i = 0; i < kSprites; ++i) {
            Spr2Spec s;
            s.paletteId = 1;
            s.frames.push_back(FrameFromGrid(g, static_cast<WORD>(i)));
            layout.chunks.push_back(Spr2Chunk(static_cast<WORD>(i), s, "sprite"));
        }
        const std::string file = TempPath("bench-qt.iff");
        WriteFileBytes(file, BuildIff(layout));
        return file;
    }();
    return path;
}

struct Session {
    Session() {
        ws.SetFileChooser([](const FileChooserRequest&) { return LargeFile(); });
        dlg.Create();
        ws.WindowOf(dlg)->show();
        QApplication::processEvents();
    }
    ~Session() { dlg.DestroyWindow(); }
    QWidget* Widget(int id) {
        const DialogTemplate* tpl = dlg.GetTemplate();
        for (int i = 0; i < ws.WindowOf(dlg)->ControlCount(); ++i)
            if (tpl->controls[i].id == id) return ws.WindowOf(dlg)->ControlWidget(i);
        return nullptr;
    }
    void Browse() {
        static_cast<CButton*>(dlg.GetDlgItem(IDC_BROWSE))->UserClick();
        QApplication::processEvents();
    }
    qtui::QtWindowSystem ws;
    CPatchDlg dlg;
};

void BM_QtBrowseLargeFile(benchmark::State& state) {
    LargeFile();
    Session s;
    for (auto _ : state) s.Browse();
    if (s.dlg.m_lbSprites.GetCount() != kSprites) state.SkipWithError("not listed");
}
BENCHMARK(BM_QtBrowseLargeFile)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_QtPaletteDropDown(benchmark::State& state) {
    Session s;
    s.Browse();
    auto* combo = qobject_cast<QComboBox*>(s.Widget(IDC_ITEM_PALETTE));
    if (!combo || combo->count() != kPalettes + 1) return state.SkipWithError("not listed");
    for (auto _ : state) {
        combo->showPopup();
        QApplication::processEvents();
        combo->hidePopup();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_QtPaletteDropDown)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
