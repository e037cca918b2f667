// Benchmarks of the string grid on a grid of 1,000,000 rows × 100 columns holding 1,000 cells:
// the memory the written cells cost, the time of reading a cell that was never written, and the
// time of painting one screenful while scrolling.

#include "grid/QxGrids.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <random>

namespace {

using corvel::QxStringGrid;

constexpr int kRows = 1000000;
constexpr int kCols = 100;
constexpr int kWrittenCells = 1000;

/// Resident set size of this process [KiB].
long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * 4;
}

/// Bytes the heap has handed out and not taken back.
std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

std::unique_ptr<QxStringGrid> makeLargeGrid(int writtenCells) {
    auto grid = std::make_unique<QxStringGrid>();
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> row(0, kRows - 1), col(0, kCols - 1);
    for (int i = 0; i < writtenCells; ++i)
        grid->SetCells(col(random), row(random), QString("cell %1").arg(i));
    return grid;
}

/// Memory of 1,000 written cells in a grid of 10^8 cells: the heap and resident growth.
void BM_SparseGridMemory(benchmark::State& state) {
    const int written = static_cast<int>(state.range(0));
    std::size_t heapBytes = 0;
    long rssKiB = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::size_t heapBefore = heapInUse();
        const long rssBefore = residentKiB();
        auto grid = makeLargeGrid(written);
        heapBytes = heapInUse() - heapBefore;
        rssKiB = residentKiB() - rssBefore;
        rows = grid->StoredRowCount();
        benchmark::DoNotOptimize(grid.get());
    }
    state.counters["heap_KiB"] = static_cast<double>(heapBytes) / 1024.0;
    state.counters["heap_B_per_cell"] = static_cast<double>(heapBytes) / written;
    state.counters["rss_growth_KiB"] = static_cast<double>(rssKiB);
    state.counters["rows_stored"] = static_cast<double>(rows);
}
BENCHMARK(BM_SparseGridMemory)
    ->Arg(100)
    ->Arg(kWrittenCells)
    ->Arg(10 * kWrittenCells)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

/// Reading cells that were never written, in a grid of `rows` rows: the cost stays flat.
void BM_ReadUnwrittenCell(benchmark::State& state) {
    auto grid = std::make_unique<QxStringGrid>();
    grid->SetColCount(kCols);
    grid->SetRowCount(static_cast<int>(state.range(0)));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> row(0, grid->RowCount() - 1), col(0, kCols - 1);
    for (int i = 0; i < kWrittenCells; ++i)
        grid->SetCells(col(random), row(random), "x");
    for (auto _ : state) {
        benchmark::DoNotOptimize(grid->Cells(col(random), row(random)));
    }
}
BENCHMARK(BM_ReadUnwrittenCell)->Arg(1000)->Arg(kRows);

/// Painting one screenful (800 × 600) of the large grid after scrolling to a random row.
void BM_PaintScreenful(benchmark::State& state) {
    auto grid = makeLargeGrid(kWrittenCells);
    grid->resize(800, 600);
    grid->show();
    QImage image(grid->viewport()->size(), QImage::Format_RGB32);
    std::mt19937 random(3);
    std::uniform_int_distribution<int> row(1, kRows - 1);
    for (auto _ : state) {
        grid->SetTopRow(row(random));
        grid->viewport()->render(&image);
        benchmark::ClobberMemory();
    }
    state.counters["cells_per_screen"] =
        static_cast<double>((grid->VisibleColCount() + 1) * (grid->VisibleRowCount() + 1));
}
BENCHMARK(BM_PaintScreenful)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
