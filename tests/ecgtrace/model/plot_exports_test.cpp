// Every plot taken out without a window: pictures equal to what the windows
// draw, the tables behind them, and E(t) as an EDF+ file read back with
// EDFlib.
#include "ecgtrace/model/plot_exports.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QXmlStreamReader>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/edf_export.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/session.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/model/spectra.h"
#include "support/work_dir.h"

using namespace ecgtrace;

namespace {

// A request of the given fields, the others at their defaults.
PlotRequest Request(PlotName plot, ExportFormat format = ExportFormat::Png, int scale = 1,
                    std::optional<std::int32_t> group = {}, std::optional<std::int32_t> cross = {},
                    bool repetition = false) {
    PlotRequest request;
    request.plot = plot;
    request.format = format;
    request.scale = scale;
    request.group = group;
    request.cross = cross;
    request.repetition = repetition;
    return request;
}

// The defaults with groups that differ, so cross spectra have a phase,
// started as the batch tool starts.
SignalSession Started() {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.SetDefaultParameters();
    m.SetParameter(2, Parameter::s1, 9);
    m.SetParameter(3, Parameter::Te, 60);
    m.SetParameter(3, Parameter::P0, 0.3);
    m.SaveParameterFile(dir.File("groups.par"));
    SignalSession session;
    session.StartStrictly(dir.File("groups.par"));
    return session;
}

QImage DecodedPng(const std::string& path) {
    QImage image(QString::fromStdString(path));
    return image.convertToFormat(QImage::Format_RGB32);
}

// How each window gets its picture, step by step as a user brings it up.
struct WindowPlot {
    const char* name;
    PlotRequest request;
    int width, height;
    std::function<void(SignalSession&, common::PlotSurface&)> draw;
};

void ChooseGroups(SignalSession& session, std::int32_t g, std::int32_t cross) {
    session.ChangeActualGroup(g);
    session.ChangeCrossGroup(cross);
}

std::vector<WindowPlot> WindowPlots() {
    return {
        {"E(t) tab", Request(PlotName::Et), kSumPlotWidth, kSumPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             s.RecomputeSumSignal();
             DrawE(s.Model(), p);
         }},
        {"A(t) tab, group 2", Request(PlotName::At, ExportFormat::Png, 1, 2), kSignalPlotWidth,
         kSignalPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 2, 2);
             DrawA(s.Model(), 2, p);
         }},
        {"P series, group 3", Request(PlotName::PSeries, ExportFormat::Png, 1, 3), kSeriesPlotWidth,
         kSeriesPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 3, 3);
             DrawPSeries(s.Model(), 3, p);
         }},
        {"P map, group 3", Request(PlotName::PMap, ExportFormat::Png, 1, 3), kMapPlotWidth,
         kMapPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 3, 3);
             DrawPMap(s.Model(), 3, p);
         }},
        {"histogram of E(t)", Request(PlotName::Histogram), kHistogramPlotWidth,
         kHistogramPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             s.RecomputeSumSignal();
             DrawHistogram(s.Model(), 0, p);
         }},
        {"histogram of group 2", Request(PlotName::Histogram, ExportFormat::Png, 1, 2),
         kHistogramPlotWidth, kHistogramPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 2, 2);
             DrawHistogram(s.Model(), 2, p);
         }},
        {"autocorrelation of E(t)", Request(PlotName::Autocorrelation), kCorrelationPlotWidth,
         kCorrelationPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             s.RecomputeSumSignal();
             DrawAutocorrelation(s.Model(), 0, p);
         }},
        {"power spectrum of E(t)", Request(PlotName::Power), kPowerPlotWidth, kPowerPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             // "signal analysis" on the E(t) tab, then its power page.
             s.RecomputeSumSignal();
             const AnalysisOpening o =
                 s.OpenAnalysis(AnalysisSubject::SumSignal(s.Model().CrossGroup()));
             DrawPowerSpectrum(s.Model(), o.power.g1, o.power.g2, p);
         }},
        {"power spectrum of 2 against 3 with repetition",
         Request(PlotName::Power, ExportFormat::Png, 1, 2, 3, true), kPowerPlotWidth,
         kPowerPlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 2, 3);
             const auto subject = AnalysisSubject::Group(2, 3);
             PowerSpectrumRows rows = s.OpenAnalysis(subject).power;
             if (!s.Model().WithRepetition(2)) rows = s.ToggleRepetition(subject);
             DrawPowerSpectrum(s.Model(), rows.g1, rows.g2, p);
         }},
        {"cross phase of 2 against 3", Request(PlotName::CrossPhase, ExportFormat::Png, 1, 2, 3),
         kPhasePlotWidth, kPhasePlotHeight,
         [](SignalSession& s, common::PlotSurface& p) {
             ChooseGroups(s, 2, 3);
             const auto subject = AnalysisSubject::Group(2, 3);
             s.OpenAnalysis(subject);
             const PowerSpectrumRows rows = s.ComputeCrossPhase(subject);
             DrawCrossPhase(s.Model(), rows.g1, rows.g2, p);
         }},
    };
}

}  // namespace

// --- pictures --------------------------------------------------------------------

TEST(PlotExport, EveryPlotAsPngAtScaleOneIsThePictureTheWindowDraws) {
    testing_support::ScopedWorkDir dir;
    for (const WindowPlot& plot : WindowPlots()) {
        SCOPED_TRACE(plot.name);
        SignalSession inWindow = Started();
        common::PlotSurface shown(plot.width, plot.height);
        plot.draw(inWindow, shown);

        SignalSession exported = Started();
        ExportPlot(exported, plot.request, dir.File("plot.png"));
        EXPECT_EQ(DecodedPng(dir.File("plot.png")), shown.Image());

        PlotRequest svg = plot.request;
        svg.format = ExportFormat::Svg;
        ExportPlot(exported, svg, dir.File("plot.svg"));
        const std::string text = common::ReadWholeFile(dir.File("plot.svg"));
        QXmlStreamReader xml(QByteArray::fromStdString(text));
        while (!xml.atEnd()) xml.readNext();
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_NE(text.find("<polyline"), std::string::npos);
        EXPECT_EQ(text.find("<image"), std::string::npos);
    }
}

TEST(PlotExport, ScaleEnlargesEveryPixel) {
    testing_support::ScopedWorkDir dir;
    SignalSession m = Started();
    const PlotRequest r = Request(PlotName::PMap, ExportFormat::Png, 4, 1);
    ExportPlot(m, r, dir.File("map.png"));
    const QImage large = DecodedPng(dir.File("map.png"));
    const common::PlotSurface small = DrawRequestedPlot(m, Request(PlotName::PMap));
    ASSERT_EQ(large.size(), QSize(4 * kMapPlotWidth, 4 * kMapPlotHeight));
    EXPECT_EQ(large.pixel(4 * 110 + 3, 4 * 10 + 2), small.Image().pixel(110, 10));
}

TEST(PlotExport, RefusesWhatCannotBeMadeAndWritesNothing) {
    testing_support::ScopedWorkDir dir;
    SignalSession m = Started();
    const auto refused = [&](PlotRequest r) {
        EXPECT_THROW(ExportPlot(m, r, dir.File("out")), common::AppError);
        EXPECT_FALSE(common::FileExists(dir.File("out")));
    };
    refused(Request(PlotName::At, ExportFormat::Edf));
    refused(Request(PlotName::At, ExportFormat::Png, 1, 7));
    refused(Request(PlotName::Power, ExportFormat::Png, 1, 1, 0));
    refused(Request(PlotName::Et, ExportFormat::Png, 9));
    // The window hides the cross phase of a group against itself.
    refused(Request(PlotName::CrossPhase, ExportFormat::Csv, 1, 2));
    refused(Request(PlotName::CrossPhase, ExportFormat::Csv, 1, 2, 2));
    EXPECT_THROW(ExportPlot(m, Request(PlotName::Et, ExportFormat::Csv), dir.File("none/e.csv")),
                 common::AppError);
    EXPECT_EQ(PlotNamed("crossphase"), PlotName::CrossPhase);
    EXPECT_EQ(PlotNamed("Et"), std::nullopt);
    EXPECT_EQ(ExportFormatNamed("bmp"), std::nullopt);
}

// --- tables ------------------------------------------------------------------------

TEST(PlotTables, ETableFollowsTheDrawnWindowAndReadsBackExactly) {
    SignalSession session = Started();
    session.SetEWindow(100, 200);
    const SignalModel& m = session.Model();
    const common::DataTable t = ETable(m);
    ASSERT_EQ(t.rows.size(), 101u);
    EXPECT_EQ(t.rows.front()[0], 1000.0);
    EXPECT_EQ(t.rows.back()[0], 2000.0);
    const std::string csv = common::CsvText(t);
    EXPECT_EQ(csv.substr(0, 7), "t_ms,E\n");
    // Line 2 holds sample 100, in a form that reads back as the same double.
    const std::size_t start = csv.find('\n') + 1;
    const std::string line = csv.substr(start, csv.find('\n', start) - start);
    EXPECT_EQ(common::ParseFloat(line.substr(line.find(',') + 1)), m.ESignal()[100]);
}

TEST(PlotTables, HistogramBinsSpanTheRangeAndTheirFractionsAddUpToOne) {
    const SignalSession session = Started();
    const SignalModel& m = session.Model();
    const common::DataTable t = HistogramTable(m, 1);
    ASSERT_EQ(t.columns, (std::vector<std::string>{"bin_low", "bin_high", "fraction"}));
    ASSERT_EQ(t.rows.size(), 15u);
    const Histogram h = CountHistogram(m.Signal(1));
    EXPECT_EQ(t.rows.front()[0], h.min);
    EXPECT_EQ(t.rows.back()[1], h.max);
    double sum = 0;
    for (std::size_t k = 0; k < t.rows.size(); ++k) {
        sum += t.rows[k][2];
        if (k > 0) {
            EXPECT_EQ(t.rows[k][0], t.rows[k - 1][1]);
        }
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
}

TEST(PlotTables, PowerIsInDecibelsBelowTheLargestAndSilentBinsStayEmpty) {
    SignalSession session = Started();
    DrawRequestedPlot(session, Request(PlotName::Power, ExportFormat::Csv, 1, 2, 3, true));
    const common::DataTable t = PowerSpectrumTable(session.Model(), 2, 3);
    ASSERT_EQ(t.rows.size(), 51u);
    EXPECT_TRUE(std::isnan(t.rows[0][1]));  // no power at 0 Hz
    double top = -1e300;
    for (const auto& row : t.rows)
        if (!std::isnan(row[1])) top = std::max(top, row[1]);
    EXPECT_EQ(top, 0.0);
    EXPECT_EQ(common::CsvText(t).substr(0, 20), "f_Hz,power_dB\n0,\n1,-");
}

TEST(PlotTables, CrossPhaseListsTheMarkedBinsWithTheirAngle) {
    SignalSession session = Started();
    const common::PlotSurface s =
        DrawRequestedPlot(session, Request(PlotName::CrossPhase, ExportFormat::Csv, 1, 2, 3));
    const SignalModel& m = session.Model();
    const common::DataTable t = CrossPhaseTable(m, 2, 3);
    ASSERT_FALSE(t.rows.empty());
    const PowerLevels p = ComputePowerLevels(m, 2, 3);
    for (const auto& row : t.rows) {
        const auto k = static_cast<std::size_t>(row[0]);
        EXPECT_LT(p.maxLog - std::log10(p.amplitude[k]), 3);
        EXPECT_DOUBLE_EQ(row[1], std::atan2(p.product[k].im, p.product[k].re));
    }
}

TEST(PlotTables, SeriesMapAutocorrelationAndAHaveTheirColumnsAndLengths) {
    const SignalSession session = Started();
    const SignalModel& m = session.Model();
    EXPECT_EQ(PSeriesTable(m, 1).rows.size(), 301u);
    EXPECT_EQ(PSeriesTable(m, 1).rows[1][1], m.Map(1)[10]);  // P0 = 0.1 -> Map[10]
    const common::DataTable map = PMapTable(m, 1);
    EXPECT_EQ(map.columns, (std::vector<std::string>{"Pn", "Pn+1"}));
    EXPECT_EQ(map.rows[50][0], 0.5);
    EXPECT_EQ(AutocorrelationTable(m, 0).rows.size(), 2000u);
    EXPECT_EQ(AutocorrelationTable(m, 0).rows.back()[0], 2000.0);
    const common::DataTable a = ATable(m, 1);
    EXPECT_EQ(a.rows.size(), static_cast<std::size_t>(m.Period(1)));
    EXPECT_EQ(a.rows[45][1], m.Signal(1)[45]);
}

// --- E(t) as EDF+ ----------------------------------------------------------------------

TEST(EdfExport, ReadBackWithEdflibGivesEWithinOneDigitalStep) {
    testing_support::ScopedWorkDir dir;
    SignalSession session = Started();
    ExportPlot(session, Request(PlotName::Et, ExportFormat::Edf), dir.File("e.edf"));
    const SignalModel& m = session.Model();
    edf_hdr_struct header{};
    ASSERT_EQ(
        edfopen_file_readonly(dir.File("e.edf").c_str(), &header, EDFLIB_READ_ALL_ANNOTATIONS), 0);
    const int h = header.handle;
    EXPECT_EQ(header.filetype, EDFLIB_FILETYPE_EDFPLUS);
    ASSERT_EQ(header.edfsignals, 1);
    const edf_param_struct& signal = header.signalparam[0];
    EXPECT_STREQ(signal.label, "E               ");
    EXPECT_EQ(signal.smp_in_datarecord, 100);
    EXPECT_EQ(header.datarecord_duration, EDFLIB_TIME_DIMENSION);  // one second
    ASSERT_EQ(signal.smp_in_file, 2800);
    EXPECT_EQ(header.starttime_subsecond, 100000);  // 10 ms
    const EdfRange range = EdfPhysicalRange(m.EMin(), m.EMax());
    EXPECT_EQ(signal.phys_min, range.minimum);
    EXPECT_EQ(signal.phys_max, range.maximum);
    std::vector<double> read(2800);
    ASSERT_EQ(edfread_physical_samples(h, 0, 2800, read.data()), 2800);
    edfclose_file(h);
    const double step = (signal.phys_max - signal.phys_min) / (signal.dig_max - signal.dig_min);
    for (std::size_t j = 1; j <= 2800; ++j)
        ASSERT_LE(std::fabs(read[j - 1] - m.ESignal()[j]), step) << "sample " << j;
}

TEST(EdfExport, PhysicalLimitsAreRoundedOutwardToEightCharacters) {
    const EdfRange r = EdfPhysicalRange(-3.645803e-3, 2.714404e-3);
    EXPECT_EQ(r.minimumText, "-0.00365");
    EXPECT_EQ(r.maximumText, "0.002715");
    EXPECT_LE(r.minimum, -3.645803e-3);
    EXPECT_GE(r.maximum, 2.714404e-3);
    for (double v : {1.0, 123456.789, -9876543.21, 0.1 + 0.2, -1e-9}) {
        const EdfRange e = EdfPhysicalRange(v, v);  // a flat signal still gets a range
        EXPECT_LE(e.minimumText.size(), 8u);
        EXPECT_LE(e.maximumText.size(), 8u);
        EXPECT_LE(e.minimum, v);
        EXPECT_GE(e.maximum, v);
        EXPECT_LT(e.minimum, e.maximum);
        EXPECT_EQ(common::ParseFloat(e.minimumText), e.minimum);
    }
    EXPECT_THROW(EdfPhysicalRange(0, 1e9), common::AppError);
    EXPECT_THROW(EdfPhysicalRange(-98765432.1, 0), common::AppError);
}

// Header fields of the E signal (the first of `count`), read as any viewer reads them.
double HeaderNumber(const std::string& bytes, std::size_t at) {
    std::string text = bytes.substr(at, 8);
    text.erase(text.find_last_not_of(' ') + 1);
    return common::ParseFloat(text);
}

TEST(EdfExport, EverySampleDecodesWithinOneStepOfTheHeaderLimitsAndTheAxisHasAUnit) {
    SignalModel m = Started().Model();
    for (const double weight : {1.0, 0.37, 1.9, 2.71828, 0.0123, 17.3, -0.61}) {
        SCOPED_TRACE(weight);
        m.SetWeights(1, weight, weight);
        m.ComputeE();
        const std::string bytes = EdfBytes(m);
        // Two signals (E and the annotations): dimension at 448, limits at 464 and 480.
        EXPECT_EQ(bytes.substr(448, 8), "a.u.    ");
        const double minimum = HeaderNumber(bytes, 464), maximum = HeaderNumber(bytes, 480);
        ASSERT_LT(minimum, maximum);
        const std::size_t headerBytes = 256 * 3;
        const std::size_t recordBytes = 2 * 100 + 2 * 57;  // E and the annotation signal
        const double step = (maximum - minimum) / 65535.0;
        for (std::size_t j = 1; j <= 2800; ++j) {
            const std::size_t at = headerBytes + (j - 1) / 100 * recordBytes + (j - 1) % 100 * 2;
            const auto digital =
                static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                          (static_cast<unsigned char>(bytes[at + 1]) << 8));
            const double decoded = minimum + (digital + 32768.0) * step;
            ASSERT_LE(std::fabs(decoded - m.ESignal()[j]), step) << "sample " << j;
        }
    }
}

TEST(PlotExport, AFlatSignalNeedsNoDrawingForItsDataAndGetsAValidEdfHeader) {
    testing_support::ScopedWorkDir dir;
    SignalModel flat;
    flat.SetDefaultParameters();
    for (std::int32_t g = 1; g <= flat.GroupCount(); ++g)
        flat.SetParameter(g, Parameter::offset, 1000000);
    flat.SaveParameterFile(dir.File("flat.par"));
    SignalSession session;
    session.StartStrictly(dir.File("flat.par"));
    ASSERT_EQ(session.Model().EMin(), session.Model().EMax());
    EXPECT_NE(ExportBytes(session, Request(PlotName::Et, ExportFormat::Csv)).find("t_ms,E\n"),
              std::string::npos);
    const std::string edf = ExportBytes(session, Request(PlotName::Et, ExportFormat::Edf));
    EXPECT_LT(HeaderNumber(edf, 464), HeaderNumber(edf, 480));
}

TEST(EdfExport, AFailedWriteLeavesTheFormerFile) {
    testing_support::ScopedWorkDir dir;
    SignalSession session = Started();
    SignalModel m = session.Model();
    common::WriteFileAtomically(dir.File("e.edf"), "former");
    m.SetWeights(1, NAN, NAN);  // E(t) no longer finite
    m.ComputeE();
    EXPECT_THROW(WriteEdf(m, dir.File("e.edf")), common::AppError);
    EXPECT_EQ(common::ReadWholeFile(dir.File("e.edf")), "former");
    EXPECT_THROW(WriteEdf(session.Model(), dir.File("none/e.edf")), common::AppError);
    // A full disk.
    common::SetWriteFaultHookForTesting(
        [](common::WriteStage s) { return s == common::WriteStage::Write ? ENOSPC : 0; });
    EXPECT_THROW(WriteEdf(session.Model(), dir.File("e.edf")), common::AppError);
    common::SetWriteFaultHookForTesting({});
    EXPECT_EQ(common::ReadWholeFile(dir.File("e.edf")), "former");
}
