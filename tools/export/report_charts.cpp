#include "tools/export/report_charts.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace quib::exporter {
namespace {

// The charts' text is measured in this family, which the project installs;
// the page asks the browser for it first and then for Arial and Helvetica,
// which have the same widths, so that text placed here fits there too.
constexpr const char* kFontFamily = "Liberation Sans";
constexpr std::string_view kPageFontAttribute =
    "font-family=\"Liberation Sans, Arial, Helvetica, sans-serif\"";
constexpr int kFontPixels = 12;
constexpr int kSmallFontPixels = 10;
// A legend entry's text is cut to this width, so that a long label
// leaves room for the other entries of a chart 400 pixels wide.
constexpr double kLegendTextWidth = 150;

// A line chart's margins left of its plot (the y axis's ticks and label)
// and right of it.
constexpr int kLineLeft = 58;
constexpr int kLineRight = 16;

const QColor kInk(0x33, 0x33, 0x33);
const QColor kGrid(0xe3, 0xe3, 0xe3);
const QColor kAxis(0x55, 0x55, 0x55);
const QColor kSeparator(0x99, 0x99, 0x99);

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont ChartFont(int pixels) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(pixels);
    return font;
}

std::string FormatNumber(double value) {
    if (std::abs(value) < 1e-9) {
        return "0";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

QString TickText(double value, bool percent) {
    if (percent) {
        return QString::number(std::lround(value * 100)) + QStringLiteral(" %");
    }
    return QString::fromStdString(FormatNumber(value));
}

// One tag as Qt writes it, without the attributes that say what SVG
// assumes anyway or what the root element says for all: Qt repeats an
// identity transform, full opacity and the whole font on every group and
// text, which would make up half of a chart's bytes. Attribute values hold
// no quote: Qt escapes text, and our own values have none.
void AppendTidyTag(std::string_view tag, std::string& out) {
    const bool group = tag.starts_with("<g ");
    std::size_t at = tag.find_first_of(" \n/>");
    out.append(tag.substr(0, at));
    while (at < tag.size()) {
        const std::size_t name = tag.find_first_not_of(" \n", at);
        if (name == std::string_view::npos) {
            break;
        }
        const std::size_t equals = tag.find("=\"", name);
        const std::size_t close =
            equals == std::string_view::npos ? equals : tag.find('"', equals + 2);
        if (close == std::string_view::npos ||
            tag.substr(name, equals - name).find_first_of(" />") != std::string_view::npos) {
            out.append(tag.substr(name));  // "/>" or ">"
            break;
        }
        const std::string_view key = tag.substr(name, equals - name);
        const std::string_view value = tag.substr(equals + 2, close - equals - 2);
        const bool implied = (key == "transform" && value == "matrix(1,0,0,1,0,0)") ||
                             ((key == "fill-opacity" || key == "stroke-opacity") && value == "1") ||
                             (key == "vector-effect" && value == "none") || key == "font-family" ||
                             (key == "font-weight" && value == "400") ||
                             (key == "font-style" && value == "normal") ||
                             (group && key == "font-size");
        if (!implied) {
            out += ' ';
            out.append(tag.substr(name, close + 1 - name));
        }
        at = close + 1;
    }
}

// Qt writes a root element of its own (with namespace declarations and a
// size in millimetres) and a <title> and <desc> of its own after it; all of
// that is replaced by a root element sized in CSS pixels whose title is the
// chart's description, escaped, and which names the font for all text.
std::string InlineSvg(const QByteArray& generated, int width, int height,
                      std::string_view description) {
    const std::string text = generated.toStdString();
    std::size_t body = text.find("<svg");
    body = body == std::string::npos ? std::string::npos : text.find('>', body);
    if (body == std::string::npos) {
        return {};
    }
    ++body;
    const std::size_t desc = text.find("</desc>", body);
    if (desc != std::string::npos) {
        body = desc + std::string_view("</desc>").size();
    }
    std::string out;
    out.reserve((text.size() - body) / 2 + 256);
    const std::string title = EscapeHtml(description);
    out += "<svg class=\"chart\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " +
           std::to_string(height) + "\" " + std::string(kPageFontAttribute) +
           " role=\"img\" aria-label=\"" + title + "\">\n<title>" + title + "</title>";
    for (std::size_t at = body; at < text.size();) {
        const std::size_t open = text.find('<', at);
        const std::size_t close = open == std::string::npos ? open : text.find('>', open);
        if (close == std::string::npos) {
            out.append(text, at, std::string::npos);
            break;
        }
        out.append(text, at, open - at);
        AppendTidyTag(std::string_view(text).substr(open, close + 1 - open), out);
        at = close + 1;
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

// What `draw` paints on a canvas of `width` x `height` CSS pixels, as an
// inline <svg>.
template <typename Draw>
std::string RenderSvg(int width, int height, std::string_view description, Draw draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(width, height));
        generator.setViewBox(QRect(0, 0, width, height));
        generator.setResolution(96);
        QPainter painter(&generator);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(ChartFont(kFontPixels));
        draw(painter);
    }
    return InlineSvg(buffer.data(), width, height, description);
}

// Coordinates are written with one decimal: a tenth of a pixel is finer
// than any screen shows, and the page stays small.
double Round1(double value) {
    return std::round(value * 10) / 10;
}

QPen LinePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') ||
                    c == '\x7f') {
                    out += "\xEF\xBF\xBD";
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::vector<double> AxisTicks(double low, double high, int count, bool whole) {
    std::vector<double> ticks;
    if (!(high > low) || count < 1) {
        ticks.push_back(low);
        return ticks;
    }
    const double raw = (high - low) / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude * 10;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw * (1 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    if (whole) {
        step = std::max(step, 1.0);
    }
    const double first = std::ceil(low / step - 1e-9) * step;
    for (int i = 0;; ++i) {
        const double value = first + i * step;
        if (value > high + step * 1e-9) {
            break;
        }
        ticks.push_back(std::abs(value) < step * 1e-9 ? 0.0 : value);
    }
    return ticks;
}

double AxisTop(double high, int count, bool whole) {
    if (!(high > 0)) {
        return 1;
    }
    const std::vector<double> ticks = AxisTicks(0, high, count, whole);
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : high;
    return std::ceil(high / step - 1e-9) * step;
}

int PlotWidth(const LineChart& chart) {
    return std::max(chart.width - kLineLeft - kLineRight, 1);
}

std::string DrawLineChart(const LineChart& chart) {
    return RenderSvg(chart.width, chart.height, chart.description, [&](QPainter& painter) {
        const QFont font = ChartFont(kFontPixels);
        const QFont small = ChartFont(kSmallFontPixels);
        const QFontMetricsF metrics(font);
        const QFontMetricsF smallMetrics(small);
        const double top = 38;
        const double bottom = 44;
        const QRectF plot(kLineLeft, top, PlotWidth(chart), chart.height - top - bottom);
        const double xSpan = chart.xMax > chart.xMin ? chart.xMax - chart.xMin : 1;
        const double ySpan = chart.yMax > chart.yMin ? chart.yMax - chart.yMin : 1;
        const auto px = [&](double x) {
            return Round1(plot.left() +
                          (std::clamp(x, chart.xMin, chart.xMin + xSpan) - chart.xMin) / xSpan *
                              plot.width());
        };
        const auto py = [&](double y) {
            return Round1(plot.bottom() -
                          (std::clamp(y, chart.yMin, chart.yMin + ySpan) - chart.yMin) / ySpan *
                              plot.height());
        };

        // Grid and y axis.
        const bool yWhole = chart.yWhole && !chart.yPercent;
        for (const double tick : AxisTicks(chart.yMin, chart.yMax, 5, yWhole)) {
            const double y = py(tick);
            painter.setPen(QPen(kGrid, 1));
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            painter.setPen(kInk);
            painter.drawText(QRectF(0, y - 8, plot.left() - 6, 16),
                             Qt::AlignRight | Qt::AlignVCenter, TickText(tick, chart.yPercent));
        }
        // x axis: ticks on whole rounds, about one per 70 pixels.
        const int xCount = std::max(2, static_cast<int>(plot.width() / 70));
        painter.setPen(QPen(kAxis, 1));
        for (const double tick :
             AxisTicks(std::ceil(chart.xMin), std::floor(chart.xMax), xCount, true)) {
            const double x = px(tick);
            painter.setPen(QPen(kAxis, 1));
            painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
            painter.setPen(kInk);
            painter.drawText(QRectF(x - 40, plot.bottom() + 5, 80, 16),
                             Qt::AlignHCenter | Qt::AlignTop, TickText(tick, false));
        }
        painter.setPen(QPen(kAxis, 1));
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.setPen(kInk);
        painter.drawText(QRectF(plot.left(), chart.height - 18, plot.width(), 16),
                         Qt::AlignHCenter | Qt::AlignBottom, ToQString(chart.xLabel));
        painter.save();
        painter.translate(14, plot.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-plot.height() / 2 - 20, -9, plot.height() + 40, 16),
                         Qt::AlignCenter, ToQString(chart.yLabel));
        painter.restore();

        // Separators, with their labels where they do not run into each other.
        painter.setFont(small);
        double labelsEnd = -1e9;
        for (std::size_t i = 0; i < chart.separators.size(); ++i) {
            const double x = px(chart.separators[i]);
            painter.setPen(QPen(kSeparator, 1, Qt::DotLine));
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            if (i < chart.separatorLabels.size()) {
                const QString label = ToQString(chart.separatorLabels[i]);
                const double labelWidth = smallMetrics.horizontalAdvance(label);
                if (x + 2 > labelsEnd && x + 2 + labelWidth <= chart.width) {
                    painter.setPen(kInk);
                    painter.drawText(QPointF(x + 2, plot.top() - 3), label);
                    labelsEnd = x + 2 + labelWidth + 6;
                }
            }
        }
        painter.setFont(font);

        // Marks along the bottom, at most one per pixel column.
        painter.setPen(QPen(kAxis, 1.5));
        double lastMark = -1;
        for (const double mark : chart.marks) {
            const double x = px(mark);
            if (std::abs(x - lastMark) >= 1) {
                painter.drawLine(QPointF(x, plot.bottom() - 1), QPointF(x, plot.bottom() - 8));
                lastMark = x;
            }
        }

        // The series.
        for (const LineSeries& series : chart.series) {
            painter.setPen(LinePen(series.colour, series.width, series.style));
            painter.setBrush(Qt::NoBrush);
            for (const auto& run : series.runs) {
                if (run.size() > 1) {
                    QPolygonF line;
                    line.reserve(static_cast<qsizetype>(run.size()));
                    for (const ChartPoint& point : run) {
                        line << QPointF(px(point.x), py(point.y));
                    }
                    painter.drawPolyline(line);
                }
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(series.colour);
            for (const auto& run : series.runs) {
                for (const ChartPoint& point : run) {
                    if (series.dots || run.size() == 1) {
                        // Wider than the line, so that it shows on it.
                        const double radius = std::max(2.5, series.width / 2 + 1.5);
                        painter.drawEllipse(QPointF(px(point.x), py(point.y)), radius, radius);
                    }
                }
            }
            painter.setBrush(Qt::NoBrush);
        }

        // Legend, above the plot.
        double x = plot.left();
        const double y = 12;
        for (const LineSeries& series : chart.series) {
            painter.setPen(LinePen(series.colour, series.width, series.style));
            painter.drawLine(QPointF(x, y), QPointF(x + 22, y));
            const QString label =
                metrics.elidedText(ToQString(series.label), Qt::ElideRight, kLegendTextWidth);
            painter.setPen(kInk);
            painter.drawText(QRectF(x + 27, y - 8, kLegendTextWidth + 4, 16),
                             Qt::AlignLeft | Qt::AlignVCenter, label);
            x += 27 + metrics.horizontalAdvance(label) + 16;
        }
        if (!chart.marks.empty() && !chart.markLabel.empty()) {
            painter.setPen(QPen(kAxis, 1.5));
            painter.drawLine(QPointF(x + 4, y + 4), QPointF(x + 4, y - 3));
            painter.setPen(kInk);
            painter.drawText(
                QRectF(x + 10, y - 8, kLegendTextWidth + 4, 16), Qt::AlignLeft | Qt::AlignVCenter,
                metrics.elidedText(ToQString(chart.markLabel), Qt::ElideRight, kLegendTextWidth));
        }
    });
}

std::string DrawBarChart(const BarChart& chart) {
    const double rowHeight = 22;
    const double top = 8;
    const double bottom = 42;
    const int height =
        static_cast<int>(top + rowHeight * static_cast<double>(chart.bars.size()) + bottom);
    return RenderSvg(chart.width, height, chart.description, [&](QPainter& painter) {
        const QFontMetricsF metrics(ChartFont(kFontPixels));
        // Labels take what they need, up to a third of the chart.
        double labelWidth = 0;
        for (const Bar& bar : chart.bars) {
            labelWidth = std::max(labelWidth, metrics.horizontalAdvance(ToQString(bar.label)));
        }
        labelWidth = std::min(labelWidth, chart.width / 3.0);
        double valueWidth = 0;
        for (const Bar& bar : chart.bars) {
            valueWidth = std::max(valueWidth, metrics.horizontalAdvance(ToQString(bar.valueText)));
        }
        valueWidth = std::min(valueWidth, chart.width / 4.0);
        const QRectF plot(labelWidth + 12, top, chart.width - labelWidth - valueWidth - 34,
                          rowHeight * static_cast<double>(chart.bars.size()));
        const double xMax = chart.xMax > 0 ? chart.xMax : 1;
        const auto px = [&](double value) {
            return Round1(plot.left() + std::clamp(value, 0.0, xMax) / xMax * plot.width());
        };
        const std::vector<double> ticks = chart.xPercent
                                              ? std::vector<double>{0, 0.25, 0.5, 0.75, 1}
                                              : AxisTicks(0, xMax, 4, false);
        for (const double tick : ticks) {
            const double x = px(tick);
            painter.setPen(QPen(kGrid, 1));
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            painter.setPen(QPen(kAxis, 1));
            painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
            painter.setPen(kInk);
            painter.drawText(QRectF(x - 40, plot.bottom() + 5, 80, 16),
                             Qt::AlignHCenter | Qt::AlignTop, TickText(tick, chart.xPercent));
        }
        for (std::size_t i = 0; i < chart.bars.size(); ++i) {
            const Bar& bar = chart.bars[i];
            const double rowTop = plot.top() + rowHeight * static_cast<double>(i);
            painter.setPen(kInk);
            painter.drawText(QRectF(4, rowTop, labelWidth, rowHeight),
                             Qt::AlignRight | Qt::AlignVCenter,
                             metrics.elidedText(ToQString(bar.label), Qt::ElideRight, labelWidth));
            painter.fillRect(
                QRectF(plot.left(), rowTop + 4, px(bar.value) - plot.left(), rowHeight - 8),
                chart.colour);
            painter.drawText(
                QRectF(plot.right() + 10, rowTop, valueWidth + 8, rowHeight),
                Qt::AlignLeft | Qt::AlignVCenter,
                metrics.elidedText(ToQString(bar.valueText), Qt::ElideRight, valueWidth));
        }
        painter.setPen(QPen(kAxis, 1));
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.setPen(kInk);
        painter.drawText(QRectF(plot.left(), height - 18, plot.width(), 16),
                         Qt::AlignHCenter | Qt::AlignBottom, ToQString(chart.xLabel));
    });
}

}  // namespace quib::exporter
