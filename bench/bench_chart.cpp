// Redrawing the Moody diagram at 1000 × 700. The yardstick, timed in turns with it so both
// see the same machine load, fills the same picture and draws one antialiased polyline with
// as many points as all the diagram's lines together: about the least any redraw costs.
// Counters: "ratio" (redraw CPU time over yardstick CPU time), "redraw_cpu_ms" (one redraw's CPU
// time) and "redraw_ms" (one redraw by the wall clock, which a busy machine inflates).

#include "chart/MoodyCurves.h"
#include "chart/MoodyDiagram.h"
#include "chart/MoodyRenderer.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

using corvel::MoodyCurves;
using corvel::MoodyDiagram;
using corvel::MoodyRenderer;

const QSize kSize(1000, 700);
const corvel::MoodyOperatingPoint kPoint{229239, 0.0174433, 1};

qsizetype lineCount(const MoodyCurves& curves) {
    qsizetype count = static_cast<qsizetype>(
        curves.laminar.size() + curves.laminarExtension.size() + curves.roughBoundary.size());
    for (const auto& curve : curves.roughness)
        count += static_cast<qsizetype>(curve.points.size());
    return count;
}

/// CPU time of this thread [ms]: what the redraw itself costs on a busy machine.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

/// A gentle wave across the picture with the given number of points, shaped like the
/// diagram's curves: short segments, each a fraction of a pixel to a few pixels long.
QPolygonF yardstickLine(qsizetype points) {
    QPolygonF line;
    for (qsizetype i = 0; i < points; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(points);
        line.append(QPointF(10 + 980 * t, 350 + 250 * std::sin(t * 6 * M_PI)));
    }
    return line;
}

void drawYardstick(QImage& image, const QPolygonF& line) {
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::darkBlue, 1.0)); // the curves' pen on a 96 dpi screen
    painter.drawPolyline(line);
}

/// The whole diagram painted from scratch, as on every resize or printout, against the
/// yardstick.
void BM_FullRedrawOverYardstick(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    QImage image(kSize, QImage::Format_RGB32);
    const MoodyRenderer renderer;
    double drawCpu = 0, yardstickCpu = 0;
    const QPolygonF line = yardstickLine(lineCount(corvel::StandardMoodyCurves()));
    Clock::duration drawTime{}, yardstickTime{};
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        {
            QPainter painter(&image);
            renderer.paint(painter, image.rect(), kPoint);
        }
        drawCpu += threadCpuMs() - cpuStart;
        const auto middle = Clock::now();
        const double cpuMiddle = threadCpuMs();
        drawYardstick(image, line);
        yardstickCpu += threadCpuMs() - cpuMiddle;
        yardstickTime += Clock::now() - middle;
        drawTime += middle - start;
        benchmark::ClobberMemory();
    }
    const double iterations = static_cast<double>(state.iterations());
    // CPU times: a busy machine preempts the longer redraw more often than the short yardstick,
    // which would skew a ratio of wall-clock times.
    state.counters["ratio"] = drawCpu / std::max(yardstickCpu, 1e-9);
    state.counters["redraw_ms"] =
        std::chrono::duration<double, std::milli>(drawTime).count() / iterations;
    state.counters["redraw_cpu_ms"] = drawCpu / iterations;
    state.counters["yardstick_ms"] =
        std::chrono::duration<double, std::milli>(yardstickTime).count() / iterations;
    state.counters["line_points"] = static_cast<double>(line.size());
}
BENCHMARK(BM_FullRedrawOverYardstick)->Unit(benchmark::kMillisecond)->MinTime(0.5);

/// The widget repainting after a new solve moves the point: the cached background and the
/// marker.
void BM_WidgetRepaint(benchmark::State& state) {
    MoodyDiagram diagram;
    diagram.resize(kSize);
    diagram.setOperatingPoint(kPoint.reynolds, kPoint.friction, kPoint.regime);
    QImage image(kSize, QImage::Format_RGB32);
    diagram.render(&image); // fills the cache
    double reynolds = kPoint.reynolds;
    for (auto _ : state) {
        reynolds *= 1.001;
        diagram.setOperatingPoint(reynolds, kPoint.friction, kPoint.regime);
        diagram.render(&image);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WidgetRepaint)->Unit(benchmark::kMillisecond);

/// Computing the curves with the solver's iterations, done once per program run.
void BM_BuildCurves(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(corvel::BuildMoodyCurves(40));
}
BENCHMARK(BM_BuildCurves)->Unit(benchmark::kMillisecond);

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
