#include "plot/svgwriter.h"

#include <charconv>

#include "plot/reporttext.h"

namespace {

const char FONT_LIST[] =
    "'Hiragino Sans','Hiragino Kaku Gothic ProN','Yu Gothic','Meiryo','MS Gothic',"
    "'Noto Sans CJK JP','Noto Sans JP','IPAexGothic','IPAGothic','TakaoGothic',sans-serif";
const char* const COLOURS[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                               "#9467bd", "#8c564b", "#e377c2", "#17becf"};
const int COLOUR_COUNT = sizeof COLOURS / sizeof COLOURS[0];
const int X_TICKS = 10;
const int Y_TICKS = 8;
const double LEGEND_LINE = 18.0;  // picture units per legend line

// A coordinate with one decimal; "-0.0" is written "0.0".
std::string Coordinate(double value) {
    char text[64];
    std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value + 0.0, std::chars_format::fixed, 1);
    if (written.ec != std::errc()) return "0";
    std::string result(text, written.ptr);
    return result == "-0.0" ? "0.0" : result;
}

class SvgText {
public:
    SvgText& operator<<(const std::string& text) {
        out_ += text;
        return *this;
    }
    SvgText& operator<<(const char* text) {
        out_ += text;
        return *this;
    }
    SvgText& operator<<(double value) {
        out_ += Coordinate(value);
        return *this;
    }
    std::string& Str() { return out_; }

private:
    std::string out_;
};

void Write_Grid(SvgText& svg, const PlotFrame& frame, const AxisTicks& x_ticks,
                const AxisTicks& y_ticks) {
    double right = frame.left + frame.width;
    double bottom = frame.top + frame.height;
    svg << "<g stroke=\"#e3e3e3\" stroke-width=\"1\">\n";
    for (double value : x_ticks.values) {
        double x = Frame_X(frame, value);
        svg << "<line x1=\"" << x << "\" y1=\"" << frame.top << "\" x2=\"" << x << "\" y2=\""
            << bottom << "\"/>\n";
    }
    for (double value : y_ticks.values) {
        double y = Frame_Y(frame, value);
        svg << "<line x1=\"" << frame.left << "\" y1=\"" << y << "\" x2=\"" << right << "\" y2=\""
            << y << "\"/>\n";
    }
    svg << "</g>\n";
}

void Write_TickLabels(SvgText& svg, const PlotFrame& frame, const AxisTicks& x_ticks,
                      const AxisTicks& y_ticks) {
    double bottom = frame.top + frame.height;
    svg << "<g font-size=\"12\" fill=\"#333333\">\n";
    for (size_t i = 0; i < x_ticks.values.size(); ++i) {
        svg << "<text x=\"" << Frame_X(frame, x_ticks.values[i]) << "\" y=\"" << bottom + 17.0
            << "\" text-anchor=\"middle\">" << Xml_Escaped(x_ticks.labels[i]) << "</text>\n";
    }
    for (size_t i = 0; i < y_ticks.values.size(); ++i) {
        svg << "<text x=\"" << frame.left - 6.0 << "\" y=\""
            << Frame_Y(frame, y_ticks.values[i]) + 4.0 << "\" text-anchor=\"end\">"
            << Xml_Escaped(y_ticks.labels[i]) << "</text>\n";
    }
    svg << "</g>\n";
}

void Write_Texts(SvgText& svg, const PlotPicture& picture) {
    const PlotFrame& frame = picture.frame;
    double centre_x = frame.left + frame.width / 2.0;
    double centre_y = frame.top + frame.height / 2.0;
    svg << "<text x=\"" << centre_x << "\" y=\"26.0\" text-anchor=\"middle\" font-size=\"17\">"
        << Xml_Escaped(picture.title) << "</text>\n";
    if (!picture.note.empty()) {
        svg << "<text x=\"" << centre_x
            << "\" y=\"45.0\" text-anchor=\"middle\" font-size=\"12\" fill=\"#555555\">"
            << Xml_Escaped(picture.note) << "</text>\n";
    }
    svg << "<text x=\"" << centre_x << "\" y=\"" << frame.top + frame.height + 44.0
        << "\" text-anchor=\"middle\" font-size=\"14\">" << Xml_Escaped(picture.x_title)
        << "</text>\n";
    svg << "<text x=\"22.0\" y=\"" << centre_y << "\" text-anchor=\"middle\" font-size=\"14\""
        << " transform=\"rotate(-90 22.0 " << centre_y << ")\">" << Xml_Escaped(picture.y_title)
        << "</text>\n";
}

void Write_Curve(SvgText& svg, const PlotCurve& curve, const char* colour) {
    std::string dots;  // single points: zero-length strokes with round caps
    for (const std::vector<PixelPoint>& piece : curve.pieces) {
        if (piece.size() == 1 || curve.dots) {
            for (const PixelPoint& point : piece)
                dots += "M" + Coordinate(point.x) + " " + Coordinate(point.y) + "h0";
            continue;
        }
        svg << "<polyline points=\"";
        for (size_t i = 0; i < piece.size(); ++i) {
            if (i > 0) svg << " ";
            svg << piece[i].x << "," << piece[i].y;
        }
        svg << "\" fill=\"none\" stroke=\"" << colour
            << "\" stroke-width=\"1.5\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
    }
    if (!dots.empty()) {
        svg << "<path d=\"" << dots << "\" fill=\"none\" stroke=\"" << colour
            << "\" stroke-width=\"" << (curve.dots ? "3" : "2")
            << "\" stroke-linecap=\"round\"/>\n";
    }
}

// --marks, by kind: a root an open circle on the zero line, a minimum or
// maximum a filled one on the curve, a pole or jump a dashed line across.
struct MarkStyle {
    MarkKind kind;
    const char* colour;
    bool line;
    bool filled;
};
const MarkStyle MARK_STYLES[] = {
    {MarkKind::ROOT, "#d62728", false, false},   {MarkKind::MINIMUM, "#2ca02c", false, true},
    {MarkKind::MAXIMUM, "#9467bd", false, true}, {MarkKind::POLE, "#7f7f7f", true, false},
    {MarkKind::JUMP, "#ff7f0e", true, false},
};

void Write_Marks(SvgText& svg, const PlotPicture& picture) {
    const PlotFrame& frame = picture.frame;
    for (const PixelMark& mark : picture.marks) {
        const MarkStyle* style = &MARK_STYLES[0];
        for (const MarkStyle& candidate : MARK_STYLES)
            if (candidate.kind == mark.kind) style = &candidate;
        if (style->line) {
            svg << "<line x1=\"" << mark.point.x << "\" y1=\"" << frame.top << "\" x2=\""
                << mark.point.x << "\" y2=\"" << frame.top + frame.height << "\" stroke=\""
                << style->colour << "\" stroke-dasharray=\"4 3\"/>\n";
            continue;
        }
        svg << "<circle cx=\"" << mark.point.x << "\" cy=\"" << mark.point.y << "\" r=\"4\" fill=\""
            << (style->filled ? style->colour : "none") << "\" stroke=\"" << style->colour
            << "\" stroke-width=\"1.5\"/>\n";
    }
}

// Below the picture, outside the frame, one line per curve.
void Write_Legend(SvgText& svg, const PlotPicture& picture) {
    const PlotFrame& frame = picture.frame;
    svg << "<g font-size=\"12\">\n";
    for (size_t i = 0; i < picture.curves.size(); ++i) {
        double y = SVG_HEIGHT + LEGEND_LINE * static_cast<double>(i) + 4.0;
        const char* colour = COLOURS[i % COLOUR_COUNT];
        svg << "<line x1=\"" << frame.left << "\" y1=\"" << y - 4.0 << "\" x2=\""
            << frame.left + 24.0 << "\" y2=\"" << y - 4.0 << "\" stroke=\"" << colour
            << "\" stroke-width=\"2\"/>\n";
        svg << "<text x=\"" << frame.left + 30.0 << "\" y=\"" << y << "\">"
            << Xml_Escaped(picture.curves[i].legend) << "</text>\n";
    }
    svg << "</g>\n";
}

}  // namespace

std::string Xml_Escaped(const std::string& text) {
    std::string checked = Report_Text(text, true, true);
    std::string escaped;
    for (char letter : checked) {
        switch (letter) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default:
            // XML 1.0 allows no control character but tab, line feed and return.
            if (static_cast<unsigned char>(letter) < 0x20)
                escaped += ' ';
            else
                escaped += letter;
        }
    }
    return escaped;
}

std::string Svg_Document(const PlotPicture& picture) {
    const PlotFrame& frame = picture.frame;
    AxisTicks x_ticks = Choose_Ticks(frame.x_range, X_TICKS);
    AxisTicks y_ticks = Choose_Ticks(frame.y_range, Y_TICKS);
    SvgText svg;
    std::string width = std::to_string(static_cast<int>(SVG_WIDTH));
    // A legend takes lines below the picture, never a place over the curves.
    bool legend = picture.curves.size() > 1;
    double legend_height =
        legend ? LEGEND_LINE * static_cast<double>(picture.curves.size()) + 6.0 : 0.0;
    std::string height = std::to_string(static_cast<int>(SVG_HEIGHT + legend_height));
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" xml:lang=\"ja\" width=\"" << width
        << "\" height=\"" << height << "\" viewBox=\"0 0 " << width << " " << height
        << "\" font-family=\"" << FONT_LIST << "\">\n";
    svg << "<title>" << Xml_Escaped(picture.title) << "</title>\n";
    svg << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#ffffff\"/>\n";
    Write_Grid(svg, frame, x_ticks, y_ticks);
    svg << "<rect x=\"" << frame.left << "\" y=\"" << frame.top << "\" width=\"" << frame.width
        << "\" height=\"" << frame.height << "\" fill=\"none\" stroke=\"#000000\"/>\n";
    Write_TickLabels(svg, frame, x_ticks, y_ticks);
    Write_Texts(svg, picture);
    for (size_t i = 0; i < picture.curves.size(); ++i)
        Write_Curve(svg, picture.curves[i], COLOURS[i % COLOUR_COUNT]);
    Write_Marks(svg, picture);
    if (legend) Write_Legend(svg, picture);
    svg << "</svg>\n";
    return std::move(svg.Str());
}
