#pragma once
// Painter: what one drawing of the window or a page shares between its
// panels and layers (the layout, the labels placed so far), and their helpers.
// Each group of members is defined in the file named beside it.
#include "display/colour.h"
#include "display/paint.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace corvane::painting {

// Loops over ticks and labels stop here, whatever a step typed into a dialog.
inline constexpr long long MaxTicks = 2000;

inline long long truncCount(double v)
{
    if (!std::isfinite(v) || v <= 0)
        return 0;
    return std::min<long long>(static_cast<long long>(v), MaxTicks);
}

inline QString cut(const std::string& s, std::size_t n)
{
    return QString::fromStdString(s.substr(0, std::min(n, s.size())));
}

// A zero-length stroke of a wide pen: a round dot of that diameter centred
// on the pixel.
inline void dot(QPainter& p, const QColor& colour, int width, QPoint at)
{
    const QBrush brush = p.brush();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double r = width / 2.0;
    p.drawEllipse(QPointF(at.x() + 0.5, at.y() + 0.5), r, r);
    p.setBrush(brush);
}

inline void setPen(QPainter& p, const QColor& colour, int width, Qt::PenStyle style = Qt::SolidLine)
{
    p.setPen(QPen(QBrush(colour), width, style, Qt::FlatCap, Qt::MiterJoin));
}

inline bool inPanel(const ViewLayout& L, QPoint s)
{
    return L.Left + L.SectionLeft < s.x() && s.x() <= L.Rx && L.Top < s.y() && s.y() <= L.By;
}

// The number of decimals that shows every multiple of step apart from its
// neighbours, at least min. (axes.cpp)
int decimalsFor(double step, int min);

struct Extent {
    double xLow = 1e30, xHigh = -1e30, zLow = 1e30, zHigh = -1e30;
};

// Extremes of the distinct corners 1..n-1. (body_layer.cpp)
Extent bodyExtent(const Tbody& body);

class Painter {
public:
    Painter(QPainter& p, Workspace& ws, const ViewLayout& L, const PrintOptions& print,
            std::vector<DrawnText>* record)
        : p_(p), ws_(ws), m_(ws.model), d_(ws.display), L_(L), print_(print), record_(record)
    {
    }

    // Everything, in order (paint.cpp).
    std::optional<QString> run();

private:
    int axisX() const { return L_.Left + L_.SectionLeft; }
    QPoint section(double x, double z) const { return SectionToScreen(L_, d_, x, z); }
    QPoint profile(double x, double g) const { return ProfileToScreen(L_, d_, x, g); }
    int clampX(int sx) const { return std::clamp(sx, axisX(), std::max(axisX(), L_.Rx)); }
    int numBodies() const { return std::clamp(m_.NumBodies, 0, MaxBodies); }
    int numStations() const { return std::clamp(m_.NumStations, 0, MaxStations); }
    const char* unitText() const { return m_.UnitsKm ? "Km" : "m"; }

    // axes.cpp
    void depthAxis();
    void distanceAxis();
    void gravityAxis();
    // section_grid.cpp
    void grid();
    // body_layer.cpp
    void bodies();
    void gradeWithDepth(const Tbody& body, const Backdrop* backdrop);
    void label(int b);
    // plan_view.cpp
    void planView();
    // gravity_panel.cpp
    std::optional<QString> curves();
    template <class Value>
    void polyline(const StationRange& r, Value value);
    // magnetic_panel.cpp
    void magneticPanel(int top, int bottom);
    void panelAxis(int top, int bottom, double lo, double hi, double step, const QString& unit);
    // gradient_panel.cpp
    void gradientPanel(int top, int bottom);
    // borehole_layer.cpp
    void layoutHoleLabels();
    void boreholes();
    QPolygon holePath(const THole& hole) const;
    bool holeLabelShown(const THole& hole, int row) const;
    // print_legend.cpp
    void legend();

    // label_placement.cpp
    // Labels are laid out before they are drawn so that none covers another.
    // A tick label keeps to its tick (pin) and is left out where it would
    // overlap; units, names, body and borehole labels slide to the nearest
    // free place, and where there is none they are dropped, keep their own
    // place (Stay), or keep it while the tick labels there give way (Evict).
    struct Label {
        QRect rect;   // the characters, leading blanks left out
        QString text;
    };
    using Labels = std::vector<Label>;
    enum class Crowded { Drop, Evict, Stay };
    QRect profileArea() const;   // the curves' half with its axis strip, inside the divider
    QRect sectionArea() const;   // the section's half with its axis strip and the margin below
    QRect modelPanelArea() const;   // the section's half right of the axis strip
    Label labelAt(int x, int y, const QString& s, bool trim = true) const;
    bool isFree(const QRect& r, const Labels& pending) const;
    // row: the label must still cover this row once kept inside the area.
    void pin(Labels& pending, Label l, const QRect& area, std::optional<int> row = std::nullopt);
    void slide(Labels& pending, Label l, const QRect& area, std::initializer_list<QPoint> steps,
               Crowded crowded);
    void flush(Labels& pending, bool opaque);
    QRect text(int x, int y, const QString& s, bool opaque = false);   // returns its place

    QPainter& p_;
    Workspace& ws_;
    Model& m_;
    Display& d_;
    ViewLayout L_;
    const PrintOptions& print_;
    std::vector<DrawnText>* record_ = nullptr;
    std::vector<QRect> taken_;   // places of the labels drawn so far
    Labels holeLabels_;          // laid out before the bodies, drawn last
    std::vector<QRect> holePaths_;   // where the boreholes run, kept clear of body labels
    double densLow_ = 1e8, densHigh_ = -1e8;
};

}  // namespace corvane::painting
