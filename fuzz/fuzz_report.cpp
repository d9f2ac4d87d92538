// Any bytes as a report for kansu plot: read, traced for the SVG and for the
// terminal, written out. Every traced point must lie in its frame and every
// SVG must be valid UTF-8 without control characters.
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_common.h"
#include "plot/plotpicture.h"
#include "plot/svgwriter.h"
#include "plot/termwriter.h"

namespace {

void Check_InFrame(const PlotPicture& picture) {
    const PlotFrame& frame = picture.frame;
    for (const PlotCurve& curve : picture.curves)
        for (const std::vector<PixelPoint>& piece : curve.pieces)
            for (const PixelPoint& point : piece)
                if (!(point.x >= frame.left && point.x <= frame.left + frame.width &&
                      point.y >= frame.top && point.y <= frame.top + frame.height))
                    std::abort();
}

void Check_Svg(const std::string& svg) {
    for (size_t at = 0; at < svg.size();) {
        unsigned char lead = static_cast<unsigned char>(svg[at]);
        if (lead < 0x20 && lead != '\n') std::abort();
        size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
        if (length == 0 || at + length > svg.size()) std::abort();
        for (size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(svg[at + i]) & 0xC0) != 0x80) std::abort();
        at += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::Scratch_Dir() + "/report.txt";
    {
        std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    PlotRequest request;
    request.report_path = path;
    request.all_runs = size > 0 && (data[0] & 1) != 0;
    if (size > 1 && (data[1] & 1) != 0) {
        request.y_range_given = true;
        request.y_range = AxisRange{-1.0, 1.0};
    }
    if (size > 1 && (data[1] & 2) != 0) {
        request.x_range_given = true;
        request.x_range = AxisRange{-0.3, 2.7};
    }
    if (size > 2) request.aspect = static_cast<PlotAspect>(data[2] % 3);
    PlotPicture picture;
    if (Build_Picture(request, SVG_FRAME_LEFT, SVG_FRAME_TOP, SVG_FRAME_WIDTH, SVG_FRAME_HEIGHT,
                      0.5, &picture) == PlotFailure::NONE) {
        Check_InFrame(picture);
        Check_Svg(Svg_Document(picture));
    }
    int drawing_width = Terminal_DrawingWidth(80);
    if (Build_Picture(request, 0.0, 0.0, drawing_width * TERM_DOTS_ACROSS,
                      TERM_ROWS * TERM_DOTS_DOWN, 1.0, &picture) == PlotFailure::NONE) {
        Check_InFrame(picture);
        Terminal_Picture(picture, drawing_width, true);
        Terminal_Picture(picture, drawing_width, false);
    }
    return 0;
}
