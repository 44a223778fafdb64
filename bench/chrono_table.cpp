// Times table figures on the main window's own times table: rebuilding a full table,
// loading and showing a full file, one new time under a full table, the memory a row
// takes, and keeping the store file current in a burst.
// Run from the build folder (the program folder is "QS310" below it, or QS_PROGRAM_DIR).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAbstractScrollArea>
#include <QAbstractTableModel>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchProgram.h"
#include "chrono/SbChrono.h"
#include "chrono/SbChronoTab.h"
#include "panels/FQ31.h"
#include "platform/Runtime.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTable = fq31::MAIN_TIMES_TABLE;
int panelG = 0;
double maintenantG = 0;
double Horloge() {
    return maintenantG;
}

SbChronoRec Temps(int i) {
    SbChronoRec r{};
    r.Concurrent = i % 1000;
    r.Numero = i;
    r.Heures = (i / 3600) % 24;
    r.Minutes = (i / 60) % 60;
    r.Secondes = i % 60;
    r.Fraction = (i * 7919) % 100000;
    r.Type = 'T';
    r.Marque = 'N';
    r.Qualif = 'M';
    r.Canal = i % 3 == 0 ? '1' : '2';
    return r;
}

void EcrireFichier(const char* path, int count) {
    std::vector<SbChronoRec> records;
    for (int i = 1; i <= count; ++i) records.push_back(Temps(i));
    std::string bytes(reinterpret_cast<const char*>(&count), 4);
    bytes.append(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(SbChronoRec));
    FileWriteAtomic(path, bytes.data(), bytes.size());
}

void Attacher(bool table) {
    SbChronoFermer("Chronos", "Chrono.q31tps");
    SbChronoOuvrir("Chronos", "Chrono.q31tps", table ? panelG : 0, table ? kTable : 0);
}

size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// The loop turning for 250 ms, as the program's after a change: rows added at the end of a
// table are shown within 200 ms, then laid out and drawn (the CPU of the waits is nil); the
// next time after it comes after a quiet moment.
void Settle() {
    const double end = Timer() + 0.25;
    int p = 0, c = 0;
    while (Timer() < end) {
        SetNextWake(end - Timer());
        GetUserEvent(0, &p, &c);
    }
}

void BM_AfficherPlein(benchmark::State& state) {
    Attacher(true);
    SbChronoCharger("Chronos\\plein.q31tps");
    for (auto _ : state) {
        SbChronoAfficher();
        Settle();
    }
    state.counters["rows"] = SbChronoNombre();
}

// The heap a shown row takes: a full store shown in the freshly loaded, empty table.
void MemoryPerRow() {
    Attacher(true);
    SbChronoCharger("Chronos\\plein.q31tps");
    Settle();
    const size_t empty = HeapInUse();
    SbChronoAfficher();
    Settle();
    int rows = 0;
    GetNumTableRows(panelG, kTable, &rows);
    if (rows > 0)
        printf("times table memory: %.0f bytes a row over %d rows (heap in use, mallinfo2)\n",
               double(HeapInUse() - empty) / rows, rows);
}
BENCHMARK(BM_AfficherPlein)->Unit(benchmark::kMillisecond);

void BM_ChargerEtAfficherPlein(benchmark::State& state) {
    Attacher(true);
    for (auto _ : state) {
        SbChronoCharger("Chronos\\plein.q31tps");
        SbChronoAfficher();
        Settle();
    }
}
BENCHMARK(BM_ChargerEtAfficherPlein)->Unit(benchmark::kMillisecond);

void BM_ChargerSeul(benchmark::State& state) {
    Attacher(false);
    for (auto _ : state) benchmark::DoNotOptimize(SbChronoCharger("Chronos\\plein.q31tps"));
}
BENCHMARK(BM_ChargerSeul)->Unit(benchmark::kMicrosecond);

// One new time appended to a table that already shows 9,998 times (or 99, second argument
// 0: the cost must not grow with the table): the store, the row and its cells and the
// scroll to it. In a stream (arg 0) the row is shown with the next batch of rows; after a
// quiet moment (arg 1) it is shown at once, the table laid out and scrolled to it (the
// notice the table posts itself delivered, as the reference's scroll below is); arg 2 adds
// the drawing of the table, every shown row having moved up by one.
void BM_NouveauTempsSousTablePleine(benchmark::State& state) {
    const int variante = int(state.range(0));
    Attacher(true);
    SbChronoCharger(state.range(1) ? "Chronos\\presque.q31tps" : "Chronos\\petit.q31tps");
    SbChronoAfficher();
    Settle();
    const SbChronoRec t = Temps(5);
    for (auto _ : state) {
        SbChronoQ31Traiter(&t);
        if (variante == 1) qs::rt::TellTableChanges();
        if (variante == 2) Settle();
        state.PauseTiming();
        DeleteTableRows(panelG, kTable, SbChronoTabG.count, 1);
        --SbChronoTabG.count;
        if (variante == 0)
            ProcessSystemEvents();
        else
            Settle();
        state.ResumeTiming();
    }
}
// The cases after a quiet moment, for the times table and Qt's own beside it: laid out (1)
// or also drawn (2), under 9,998 rows (1) or 99 (0).
void AfterAQuietMoment(benchmark::internal::Benchmark* b) {
    b->Args({1, 1})->Args({1, 0})->Args({2, 1})->Args({2, 0})->Iterations(100)->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_NouveauTempsSousTablePleine)->Args({0, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NouveauTempsSousTablePleine)->Apply(AfterAQuietMoment);

// The reference: Qt's own table view over the plainest model of four text columns, in a
// window of the main table's size, with 99 or 9,998 rows already (second argument 0 or 1).
// One row appended after a quiet moment, its four cells written, scrolled to and laid out
// at once (first argument 1), or also drawn (2): what any Qt table pays for a new row.
class PlainTable final : public QAbstractTableModel {
public:
    explicit PlainTable(int rows) : rows_(size_t(rows), Row{"T", "12345", "M1", " 12 : 34 : 56.78912"}) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& i, int role) const override {
        return role == Qt::DisplayRole ? QVariant(rows_[size_t(i.row())][size_t(i.column())]) : QVariant();
    }
    void Append(const char* number, const char* time) {
        const int row = int(rows_.size());
        beginInsertRows({}, row, row);
        rows_.push_back(Row{});
        endInsertRows();
        Row& r = rows_.back();
        r = {" ", number, "M1", time};
        Q_EMIT dataChanged(index(row, 0), index(row, 3));
    }
    void RemoveLast() {
        const int row = int(rows_.size()) - 1;
        beginRemoveRows({}, row, row);
        rows_.pop_back();
        endRemoveRows();
    }

private:
    using Row = std::array<QString, 4>;
    std::vector<Row> rows_;
};

// A reference widget shown in a window of the main times table's size, settled.
void ShowAtTableSize(QWidget& widget) {
    int w = 0, h = 0;
    GetCtrlAttribute(panelG, kTable, ATTR_WIDTH, &w);
    GetCtrlAttribute(panelG, kTable, ATTR_HEIGHT, &h);
    widget.resize(w, h);
    widget.show();
    Settle();
}

void BM_ReferenceQtNouvelleLigne(benchmark::State& state) {
    PlainTable model(state.range(1) ? SB_CHRONO_MAX - 1 : 99);
    QTableView view;
    view.setModel(&model);
    ShowAtTableSize(view);
    for (auto _ : state) {
        model.Append("    5", " 00 : 00 : 05.35");
        view.scrollToBottom();
        view.doItemsLayout();
        if (state.range(0) == 2) Settle();
        state.PauseTiming();
        model.RemoveLast();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReferenceQtNouvelleLigne)->Apply(AfterAQuietMoment);

// The floor under both: the plainest change a Qt window can show, a label of the table's
// size taking a new text after a quiet moment, told (1) or also drawn (2). Whatever a new
// time costs after a quiet moment beyond this is the table's.
void BM_ReferenceQtEtiquette(benchmark::State& state) {
    QLabel label;
    ShowAtTableSize(label);
    int n = 0;
    for (auto _ : state) {
        label.setText(QString::asprintf("    %d  00 : 00 : 05.35", ++n % 10000));
        if (state.range(0) == 2) Settle();
        state.PauseTiming();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReferenceQtEtiquette)->Arg(1)->Arg(2)->Iterations(100)->Unit(benchmark::kMicrosecond);

// The lightest scrolling list a Qt window can have: rows of one text drawn by the view
// itself, no model, header or selection, 99 or 9,998 rows already. A row appended after a
// quiet moment and the scroll bar set to it, told only: what a table written for this one
// purpose would pay at the least.
class BareList final : public QAbstractScrollArea {
public:
    explicit BareList(int rows) : rows_(size_t(rows), QStringLiteral("T  12345  M1   12 : 34 : 56.78912")) {}
    void Append(const QString& text) {
        rows_.push_back(text);
        Range();
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        viewport()->update();
    }
    void RemoveLast() {
        rows_.pop_back();
        Range();
        viewport()->update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        const int h = fontMetrics().height(), first = verticalScrollBar()->value() / h;
        for (int r = first; r < int(rows_.size()) && (r - first) * h < viewport()->height(); ++r)
            p.drawText(4, (r - first) * h + fontMetrics().ascent(), rows_[size_t(r)]);
    }
    void resizeEvent(QResizeEvent*) override { Range(); }

private:
    void Range() {
        const int h = fontMetrics().height();
        verticalScrollBar()->setRange(0, std::max(0, int(rows_.size()) * h - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
    }
    std::vector<QString> rows_;
};

void BM_ReferenceListeNue(benchmark::State& state) {
    BareList list(state.range(0) ? SB_CHRONO_MAX - 1 : 99);
    ShowAtTableSize(list);
    for (auto _ : state) {
        list.Append(QStringLiteral("T      5  M1   00 : 00 : 05.35"));
        state.PauseTiming();
        list.RemoveLast();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReferenceListeNue)->Arg(1)->Arg(0)->Iterations(100)->Unit(benchmark::kMicrosecond);

// 300 times arriving 10 ms apart (a run download), the background task turning
// after each: with the store file kept current (arg 1) or not (arg 0).
void BM_Rafale300(benchmark::State& state) {
    const bool maintenir = state.range(0) != 0;
    Attacher(false);
    SetTimeSource(Horloge, nullptr);
    const SbChronoRec t = Temps(7);
    long ecritures = 0;
    auto maintenirCompte = [&] {
        const bool avant = SbChronoTabG.changed;
        SbChronoMaintenir();
        if (avant && !SbChronoTabG.changed) ++ecritures;
    };
    for (auto _ : state) {
        state.PauseTiming();
        SbChronoEffacer();
        maintenantG += 1.0;
        SbChronoMaintenir();
        state.ResumeTiming();
        for (int i = 0; i < 300; ++i) {
            SbChronoQ31Traiter(&t);
            maintenantG += 0.01;
            if (maintenir) maintenirCompte();
        }
        maintenantG += 1.0;
        if (maintenir) maintenirCompte();
    }
    state.counters["writes_per_burst"] = double(ecritures) / double(state.iterations());
    SetTimeSource(nullptr, nullptr);
}
BENCHMARK(BM_Rafale300)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Worst single pass of the background task that writes: a full store file.
void BM_EcritureFichierPlein(benchmark::State& state) {
    Attacher(false);
    SbChronoCharger("Chronos\\plein.q31tps");
    for (auto _ : state) SbChronoSauver("Chronos\\copie.q31tps");
}
BENCHMARK(BM_EcritureFichierPlein)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_UPDATE_IDLE_TIME", "0", 0);
    const bench::ScratchProgramFolder folder;
    fs::current_path(folder.path());
    fs::create_directories("Chronos");
    if (!InitCVIRTE(argc, argv)) return 1;
    panelG = LoadPanel(0, "FQ31.uir", fq31::MAIN);
    if (panelG <= 0) return fprintf(stderr, "the main window's panel is not in the program folder\n"), 1;
    DisplayPanel(panelG);
    SbComG.simulation = 1;
    EcrireFichier("Chronos\\plein.q31tps", SB_CHRONO_MAX);
    EcrireFichier("Chronos\\presque.q31tps", SB_CHRONO_MAX - 1);
    EcrireFichier("Chronos\\petit.q31tps", 99);

    MemoryPerRow();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    SbChronoFermer("Chronos", "Chrono.q31tps");
    DiscardPanel(panelG);
    CloseCVIRTE();
    return 0;
}
