// The main function of the benchmarks that paint real widgets: a Qt
// application around Google Benchmark's usual main.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>

int main(int argc, char** argv) {
    // Qt's update timer at 0 ms: the paint a change asks for comes at once
    // instead of after the platform's usual 5 ms.
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
