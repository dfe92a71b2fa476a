// Timing of the shared helpers: the rich-text reader on many short
// formatted runs in one paragraph and on one very long word, the inputs that
// once made it quadratic.
// The reported complexity must stay O(N).
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdlib>
#include <string>

#include "common/rtf_reader.h"

namespace {

void BM_RtfShortRunsInOneParagraph(benchmark::State& state) {
    std::string rtf = "{\\rtf1 ";
    for (std::int64_t i = 0; i < state.range(0); ++i) rtf += "{\\b x}{\\i y}";
    rtf += "}";
    for (auto _ : state) {
        QTextDocument document;
        document.documentLayout();  // as in a text box
        common::LoadRtfIntoDocument(rtf, document);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rtf.size()));
    state.counters["bytes"] = static_cast<double>(rtf.size());
    state.SetComplexityN(state.range(0));
}
// 10,000 groups are the 120 KB file that must load in under 0.1 s.
BENCHMARK(BM_RtfShortRunsInOneParagraph)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Tiny formatted runs, escapes and paragraphs: the worst mix for a slow
// reader; the time must grow linearly (20,000 groups well under a second).
void BM_RtfRunsEscapesAndParagraphs(benchmark::State& state) {
    std::string rtf = "{\\rtf1 ";
    for (std::int64_t i = 0; i < state.range(0); ++i) rtf += "{\\b x}\\'e9\\u228?\\par ";
    rtf += "}";
    for (auto _ : state) {
        QTextDocument document;
        common::LoadRtfIntoDocument(rtf, document);
        benchmark::DoNotOptimize(document.blockCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RtfRunsEscapesAndParagraphs)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// One word in a huge font, laid out at the width of the introduction box:
// without break points the layout grows with the square of the word.
void BM_RtfOneLongWordLaidOut(benchmark::State& state) {
    const std::string rtf =
        "{\\rtf1\\fs400 " + std::string(static_cast<std::size_t>(state.range(0)), 'w') + "}";
    for (auto _ : state) {
        QTextDocument document;
        document.setTextWidth(500);
        common::LoadRtfIntoDocument(rtf, document);
        benchmark::DoNotOptimize(document.documentLayout()->documentSize());
    }
    state.SetComplexityN(state.range(0));
}
// 120,000 characters: a 120 KB file, which must leave the window appearing
// within a second.
BENCHMARK(BM_RtfOneLongWordLaidOut)
    ->Arg(30000)
    ->Arg(60000)
    ->Arg(120000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);  // text layout needs fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
