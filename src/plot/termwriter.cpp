#include "plot/termwriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/reporttext.h"

namespace {

const int MIN_DRAWING_WIDTH = 10;
// The corners are labelled to a tenth of the step of this many ticks, as the SVG has.
const int X_TICKS = 10;
const int Y_TICKS = 8;
// Room for the longest label of a range ("-1.23457e-308") and a blank.
const size_t GUTTER = 14;

// The dots of the drawing, one byte per character cell holding its 8 dots.
class DotGrid {
public:
    DotGrid(int cell_columns, int cell_rows)
        : columns_(cell_columns),
          rows_(cell_rows),
          cells_(static_cast<size_t>(cell_columns) * static_cast<size_t>(cell_rows), 0),
          owners_(cells_.size(), 0) {}

    void Set(double x, double y, unsigned char owner) {
        int dot_x = Clamped(x, columns_ * TERM_DOTS_ACROSS);
        int dot_y = Clamped(y, rows_ * TERM_DOTS_DOWN);
        // Braille numbering: dots 1-3 and 7 down the left, 4-6 and 8 down the right.
        static const unsigned char bits[TERM_DOTS_DOWN][TERM_DOTS_ACROSS] = {
            {0x01, 0x08}, {0x02, 0x10}, {0x04, 0x20}, {0x40, 0x80}};
        size_t cell = Index(dot_x / TERM_DOTS_ACROSS, dot_y / TERM_DOTS_DOWN);
        cells_[cell] |= bits[dot_y % TERM_DOTS_DOWN][dot_x % TERM_DOTS_ACROSS];
        owners_[cell] = owner;
    }

    // Every dot the straight line a-b passes, sampled at most a dot apart.
    void Line(const PixelPoint& a, const PixelPoint& b, unsigned char owner) {
        double length = std::fmax(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
        int steps = static_cast<int>(std::ceil(std::fmin(length, 1e6)));
        for (int i = 0; i <= steps; ++i) {
            double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
            Set(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, owner);
        }
    }

    unsigned char Cell(int column, int row) const { return cells_[Index(column, row)]; }
    // The curve that set the cell's last dot.
    unsigned char Owner(int column, int row) const { return owners_[Index(column, row)]; }

private:
    size_t Index(int column, int row) const {
        return static_cast<size_t>(row) * static_cast<size_t>(columns_) +
               static_cast<size_t>(column);
    }

    static int Clamped(double value, int limit) {
        if (!(value >= 0.0)) return 0;
        if (value >= limit) return limit - 1;
        return static_cast<int>(value);
    }

    int columns_;
    int rows_;
    std::vector<unsigned char> cells_;
    std::vector<unsigned char> owners_;
};

// Terminal colours in the order of the SVG's: blue, red, green, yellow, magenta, cyan.
const char* const COLOUR_CODES[] = {"34", "31", "32", "33", "35", "36"};
const size_t COLOUR_COUNT = sizeof COLOUR_CODES / sizeof COLOUR_CODES[0];
const char COLOUR_END[] = "\x1b[0m";

std::string Colour_Start(size_t curve) {
    return std::string("\x1b[") + COLOUR_CODES[curve % COLOUR_COUNT] + "m";
}

std::string Cell_Text(unsigned char dots, bool braille) {
    if (dots == 0) return " ";
    if (braille) {
        unsigned code = 0x2800u + dots;  // three bytes of UTF-8
        return std::string{static_cast<char>(0xE0 | (code >> 12)),
                           static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                           static_cast<char>(0x80 | (code & 0x3F))};
    }
    bool top = (dots & (0x01 | 0x08 | 0x02 | 0x10)) != 0;
    bool bottom = (dots & (0x04 | 0x20 | 0x40 | 0x80)) != 0;
    return top && bottom ? ":" : top ? "'" : ".";
}

// One row of cells; with colour, each cell in its curve's.
std::string Row_Text(const DotGrid& grid, int row, int width, bool braille, bool colour) {
    std::string text;
    int shown_owner = 0;
    for (int column = 0; column < width; ++column) {
        unsigned char dots = grid.Cell(column, row);
        int owner = dots == 0 ? shown_owner : grid.Owner(column, row);
        if (colour && owner != shown_owner) {
            text += Colour_Start(static_cast<size_t>(owner - 1));
            shown_owner = owner;
        }
        text += Cell_Text(dots, braille);
    }
    if (shown_owner != 0) text += COLOUR_END;
    return text;
}

std::string Padded_Left(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

int Terminal_DrawingWidth(int line_width) {
    int width = line_width - static_cast<int>(GUTTER) - 2;
    return width < MIN_DRAWING_WIDTH ? MIN_DRAWING_WIDTH : width;
}

std::string Terminal_Picture(const PlotPicture& picture, int drawing_width, bool utf8,
                             bool colour) {
    DotGrid grid(drawing_width, TERM_ROWS);
    colour = colour && picture.curves.size() > 1;
    for (size_t index = 0; index < picture.curves.size(); ++index) {
        unsigned char owner = static_cast<unsigned char>(1 + index % COLOUR_COUNT);
        for (const std::vector<PixelPoint>& piece : picture.curves[index].pieces) {
            if (piece.size() == 1) grid.Set(piece[0].x, piece[0].y, owner);
            for (size_t i = 1; i < piece.size(); ++i) grid.Line(piece[i - 1], piece[i], owner);
        }
    }
    auto text = [utf8](const std::string& utf8_text) { return Report_Text(utf8_text, true, utf8); };
    const AxisRange& x_range = picture.frame.x_range;
    const AxisRange& y_range = picture.frame.y_range;
    // The ends as they stand at the top and bottom, left and right (mirrored when reversed).
    bool y_mirrored = picture.frame.y_reversed, x_mirrored = picture.frame.x_reversed;
    std::string y_high = Rounded_Label(y_mirrored ? y_range.low : y_range.high, y_range, Y_TICKS);
    std::string y_low = Rounded_Label(y_mirrored ? y_range.high : y_range.low, y_range, Y_TICKS);
    size_t gutter = std::max({y_high.size(), y_low.size(), GUTTER - 1}) + 1;
    std::string border = "+" + std::string(static_cast<size_t>(drawing_width), '-') + "+\n";

    std::string out = text(picture.title);
    if (!picture.note.empty()) out += "   (" + text(picture.note) + ")";
    out += "\n" + Padded_Left(y_high, gutter - 1) + " " + border;
    for (int row = 0; row < TERM_ROWS; ++row) {
        out += std::string(gutter, ' ') + "|" + Row_Text(grid, row, drawing_width, utf8, colour) +
               "|\n";
    }
    out += Padded_Left(y_low, gutter - 1) + " " + border;
    std::string x_low = Rounded_Label(x_mirrored ? x_range.high : x_range.low, x_range, X_TICKS);
    std::string x_high = Rounded_Label(x_mirrored ? x_range.low : x_range.high, x_range, X_TICKS);
    size_t x_line = gutter + 2 + static_cast<size_t>(drawing_width);
    std::string x_labels = std::string(gutter, ' ') + x_low;
    if (x_labels.size() + 1 + x_high.size() <= x_line)
        x_labels += std::string(x_line - x_labels.size() - x_high.size(), ' ') + x_high;
    else
        x_labels += " " + x_high;
    out += x_labels + "\n";
    out += "x: " + text(picture.x_title) + "   y: " + text(picture.y_title) + "\n";
    if (picture.curves.size() > 1) {
        for (size_t i = 0; i < picture.curves.size(); ++i) {
            if (colour) out += Colour_Start(i) + "==" + COLOUR_END + " ";
            out += std::to_string(i + 1) + ": " + text(picture.curves[i].legend) + "\n";
        }
    }
    return out;
}
