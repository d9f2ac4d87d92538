#include "plot/plotpicture.h"

#include <cmath>
#include <memory>

#include "plot/reportreader.h"
#include "plot/shownrange.h"

namespace {

const double MARGIN = 0.04;  // of the data's span, around curves drawn to scale

// The runs to draw: one, or every run that has a table.
PlotFailure Select_Runs(const PlotRequest& request, const std::vector<ReportRun>& runs,
                        std::vector<size_t>* selected) {
    if (runs.empty()) return PlotFailure::NOT_A_REPORT;
    if (request.all_runs) {
        for (size_t i = 0; i < runs.size(); ++i)
            if (runs[i].layout != RunLayout::NO_TABLE) selected->push_back(i);
        if (selected->empty()) return PlotFailure::NO_TABLE;
    } else {
        if (request.run_number > static_cast<int>(runs.size())) return PlotFailure::NO_SUCH_RUN;
        size_t index =
            request.run_number > 0 ? static_cast<size_t>(request.run_number - 1) : runs.size() - 1;
        if (runs[index].layout == RunLayout::NO_TABLE) return PlotFailure::NO_TABLE;
        selected->push_back(index);
    }
    for (size_t index : *selected)
        if (runs[index].finite_count > 0) return PlotFailure::NONE;
    return PlotFailure::NO_POINTS;
}

std::string Joined(const std::vector<std::string>& texts, const char* separator) {
    std::string joined;
    for (const std::string& text : texts) {
        if (!joined.empty()) joined += separator;
        joined += text;
    }
    return joined;
}

// Bounds of the drawn runs' whole data.
void Data_Bounds(const std::vector<ReportRun>& runs, const std::vector<size_t>& selected,
                 double* x_min, double* x_max, double* y_min, double* y_max) {
    bool first = true;
    for (size_t index : selected) {
        const ReportRun& run = runs[index];
        if (run.finite_count == 0) continue;
        *x_min = first ? run.x_min : std::fmin(*x_min, run.x_min);
        *x_max = first ? run.x_max : std::fmax(*x_max, run.x_max);
        *y_min = first ? run.y_min : std::fmin(*y_min, run.y_min);
        *y_max = first ? run.y_max : std::fmax(*y_max, run.y_max);
        first = false;
    }
}

// A range given with an open side: that side at the data's limit; with no
// data beyond the side given, as far from it as a single value's range.
AxisRange Given_Range(AxisRange given, double data_min, double data_max) {
    AxisRange range{std::isinf(given.low) ? data_min : given.low,
                    std::isinf(given.high) ? data_max : given.high};
    if (range.low < range.high) return range;
    if (std::isinf(given.low)) return {Padded_Range(given.high, given.high, 0.0).low, given.high};
    return {given.low, Padded_Range(given.low, given.low, 0.0).high};
}

bool Both_Sides(const AxisRange& range) {
    return !std::isinf(range.low) && !std::isinf(range.high);
}

// The ranges as the request gives them, or of the points shown: those inside
// a range given, and without the spikes of curves y(x) at their poles.
PlotFailure Set_Ranges(const PlotRequest& request, const std::vector<ReportRun>& runs,
                       const std::vector<size_t>& selected, PlotPicture* picture) {
    ShownRangeSink shown(runs, selected, request.x_range_given ? &request.x_range : nullptr,
                         request.y_range_given ? &request.y_range : nullptr);
    std::vector<ReportRun> again;
    if (Scan_Report(request.report_path, &again, &shown, request.report_bytes) != ScanStatus::READ)
        return PlotFailure::READ_FAILED;
    double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
    if (!shown.Bounds(&x_min, &x_max, &y_min, &y_max))
        Data_Bounds(runs, selected, &x_min, &x_max, &y_min, &y_max);
    else if (!request.y_range_given || !Both_Sides(request.y_range))
        shown.Pole_YRange(&y_min, &y_max);
    bool all_explicit = true;
    for (size_t index : selected)
        if (runs[index].layout != RunLayout::EXPLICIT) all_explicit = false;
    PlotFrame& frame = picture->frame;
    // A curve over x runs from edge to edge; other curves get room.
    frame.x_range = request.x_range_given ? Given_Range(request.x_range, x_min, x_max)
                                          : Padded_Range(x_min, x_max, all_explicit ? 0.0 : MARGIN);
    frame.y_range = request.y_range_given ? Given_Range(request.y_range, y_min, y_max)
                                          : Padded_Range(y_min, y_max, MARGIN);
    frame.x_reversed = request.x_reversed;
    frame.y_reversed = request.y_reversed;
    if (picture->equal_scales)
        Equalize_Scales(&frame.x_range, &frame.y_range, frame.width, frame.height,
                        request.x_range_given, request.y_range_given);
    return PlotFailure::NONE;
}

// Equal scales by default where the shape is the point (polar and implicit
// curves: a circle stays round), or as asked.
bool Equal_Scales(const PlotRequest& request, const std::vector<ReportRun>& runs,
                  const std::vector<size_t>& selected) {
    if (request.aspect != PlotAspect::DEFAULT) return request.aspect == PlotAspect::EQUAL;
    for (size_t index : selected)
        if (runs[index].layout == RunLayout::POLAR || runs[index].layout == RunLayout::IMPLICIT)
            return true;
    return false;
}

TraceStyle Style_Of(RunLayout layout) {
    switch (layout) {
    case RunLayout::EXPLICIT: return TraceStyle::COLUMNS;
    case RunLayout::IMPLICIT: return TraceStyle::DOTS;
    default: return TraceStyle::PATH;
    }
}

// Second reading: the rows of the drawn runs go to their tracers.
class TracingSink : public RowSink {
public:
    TracingSink(const std::vector<ReportRun>& runs, const std::vector<size_t>& selected,
                const PlotFrame& frame, double min_move)
        : tracers_(runs.size()) {
        for (size_t index : selected)
            tracers_[index].reset(new CurveTracer(frame, Style_Of(runs[index].layout), min_move,
                                                  runs[index].layout == RunLayout::EXPLICIT));
    }
    bool Wants(size_t run_index) const override {
        return run_index < tracers_.size() && tracers_[run_index] != nullptr;
    }
    void Row(size_t run_index, double x, double y) override { tracers_[run_index]->Add(x, y); }
    CurveTracer& Tracer(size_t run_index) { return *tracers_[run_index]; }

private:
    std::vector<std::unique_ptr<CurveTracer>> tracers_;
};

std::string Legend_Of(const ReportRun& run) {
    if (run.fixed_values.empty()) return run.title;
    return run.title + "  (" + Joined(run.fixed_values, ", ") + ")";
}

// The file's name without its folders.
std::string Report_Name(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One run is titled with its formula, several (or a run without one) with
// the report's name, unless the request gives the texts.
void Set_Texts(const PlotRequest& request, const std::vector<ReportRun>& runs,
               const std::vector<size_t>& selected, PlotPicture* picture) {
    const ReportRun& last = runs[selected.back()];
    picture->x_title = request.x_title.value_or(last.x_title);
    picture->y_title = request.y_title.value_or(last.y_title);
    if (selected.size() == 1) {
        picture->title = last.title;
        picture->note = Joined(last.fixed_values, ", ");
    }
    if (picture->title.empty()) picture->title = Report_Name(request.report_path);
    if (request.title) picture->title = *request.title;
}

// --marks: the findings of each drawn explicit run whose formula reads again.
void Add_Marks(const PlotRequest& request, const std::vector<ReportRun>& runs,
               const std::vector<size_t>& selected, PlotPicture* picture) {
    for (size_t index : selected) {
        const ReportRun& run = runs[index];
        MarkedRun marked{run.title, run.fixed_values, run.x_min, run.x_max,
                         run.row_count > 1 ? run.row_count - 1 : 1};
        std::vector<CurveMark> findings;
        if (run.layout != RunLayout::EXPLICIT || !request.mark_finder(marked, &findings)) {
            picture->marks_skipped = true;
            continue;
        }
        std::vector<PixelMark> placed = Place_Marks(findings, picture->frame);
        picture->marks.insert(picture->marks.end(), placed.begin(), placed.end());
    }
}

}  // namespace

PlotFailure Build_Picture(const PlotRequest& request, double left, double top, double width,
                          double height, double min_move, PlotPicture* picture) {
    std::vector<ReportRun> runs;
    ScanStatus status = Scan_Report(request.report_path, &runs, nullptr, request.report_bytes);
    if (status == ScanStatus::CANNOT_OPEN) return PlotFailure::CANNOT_OPEN;
    if (status == ScanStatus::READ_FAILED) return PlotFailure::READ_FAILED;
    *picture = PlotPicture();
    picture->runs_in_report = static_cast<int>(runs.size());
    std::vector<size_t> selected;
    PlotFailure failure = Select_Runs(request, runs, &selected);
    if (failure != PlotFailure::NONE) return failure;

    picture->frame.left = left;
    picture->frame.top = top;
    picture->frame.width = width;
    picture->frame.height = height;
    picture->equal_scales = Equal_Scales(request, runs, selected);
    failure = Set_Ranges(request, runs, selected, picture);
    if (failure != PlotFailure::NONE) return failure;
    Set_Texts(request, runs, selected, picture);

    TracingSink sink(runs, selected, picture->frame, min_move);
    std::vector<ReportRun> again;
    if (Scan_Report(request.report_path, &again, &sink, request.report_bytes) != ScanStatus::READ)
        return PlotFailure::READ_FAILED;
    for (size_t index : selected) {
        CurveTracer& tracer = sink.Tracer(index);
        tracer.Finish();
        PlotCurve curve;
        curve.legend = Legend_Of(runs[index]);
        curve.dots = runs[index].layout == RunLayout::IMPLICIT;
        curve.pieces = tracer.Pieces();
        picture->curves.push_back(std::move(curve));
        const ReportRun& run = runs[index];
        if (run.skipped_rows > 0 && picture->skipped_rows == 0)
            picture->first_skipped_line = run.first_skipped_line;
        picture->skipped_rows += run.skipped_rows;
    }
    if (request.mark_finder) Add_Marks(request, runs, selected, picture);
    return PlotFailure::NONE;
}
