#pragma once

// The charts of the session report, drawn with QPainter into Qt's SVG
// generator and handed back as <svg> elements to be put inline into an HTML
// page. Drawing text needs a QGuiApplication (see report_app.h).

#include <QColor>

#include <string>
#include <string_view>
#include <vector>

namespace quib::exporter {

// `text` made safe to stand as text or as a quoted attribute value in HTML:
// & < > " ' are written as character references, and control characters
// other than tab and line feed (which HTML does not allow) as U+FFFD.
std::string EscapeHtml(std::string_view text);

struct ChartPoint {
    double x = 0;
    double y = 0;
};

struct LineSeries {
    std::string label;  // the legend's text (UTF-8, plain)
    QColor colour;
    Qt::PenStyle style = Qt::SolidLine;
    double width = 2;  // of the line, in CSS pixels
    // Runs of points joined by lines; between two runs the line is broken (a
    // round missing, a value not known).
    std::vector<std::vector<ChartPoint>> runs;
    bool dots = false;  // also a dot at each point, for short series
};

struct LineChart {
    std::string description;  // plain text: the chart's title for screen readers
    int width = 640;          // CSS pixels
    int height = 260;
    std::string xLabel;
    std::string yLabel;
    double xMin = 0;
    double xMax = 1;
    double yMin = 0;
    double yMax = 1;
    bool yPercent = false;           // y is a share from 0 to 1, labelled in per cent
    bool yWhole = false;             // y ticks on whole numbers only (counts)
    std::vector<LineSeries> series;  // drawn in this order, the last on top
    // Dotted vertical lines, e.g. where a game begins, each with a short
    // label above the plot (left out where labels would overlap).
    std::vector<double> separators;
    std::vector<std::string> separatorLabels;
    // Short ticks along the bottom of the plot, e.g. rounds that are missing.
    std::vector<double> marks;
    std::string markLabel;  // the legend's text for the ticks
};

struct Bar {
    std::string label;      // left of the bar
    double value = 0;       // from 0 to the chart's xMax
    std::string valueText;  // right of the bar
};

struct BarChart {
    std::string description;
    int width = 520;
    std::string xLabel;
    double xMax = 1;
    bool xPercent = false;  // values are shares from 0 to 1, labelled in per cent
    QColor colour;
    std::vector<Bar> bars;
};

// The width of a line chart's plot in pixels. A line of more points than
// that shows nothing more, and only makes the page larger and slower.
int PlotWidth(const LineChart& chart);

// Each returns one <svg> element (UTF-8): no XML prolog, no namespace
// declarations (an <svg> inside HTML needs none), sized in CSS pixels.
std::string DrawLineChart(const LineChart& chart);
std::string DrawBarChart(const BarChart& chart);

// The ticks of an axis from `low` to `high`: about `count` round values
// (steps of 1, 2 or 5 times a power of ten), whole numbers only when
// `whole`.
std::vector<double> AxisTicks(double low, double high, int count, bool whole);

// The smallest tick of such an axis from 0 at or above `high`: the top of an
// axis that shows values up to `high`.
double AxisTop(double high, int count, bool whole);

}  // namespace quib::exporter
