// The picture as a standalone SVG document (UTF-8 text, no scripts, no
// external references), the same bytes on every platform.
#ifndef KANSU_PLOT_SVGWRITER_H
#define KANSU_PLOT_SVGWRITER_H

#include <string>

#include "plot/plotpicture.h"

// Size of the SVG picture and the place of its frame.
const double SVG_WIDTH = 800.0;
const double SVG_HEIGHT = 560.0;
const double SVG_FRAME_LEFT = 80.0;
const double SVG_FRAME_TOP = 60.0;
const double SVG_FRAME_WIDTH = 690.0;
const double SVG_FRAME_HEIGHT = 430.0;

std::string Svg_Document(const PlotPicture& picture);

// Text made safe for XML character data and attribute values.
std::string Xml_Escaped(const std::string& text);

#endif
