// PaintModel, the conductor: the layout, the frame and divider, then the
// panels and layers in their order.
#include "display/paint.h"

#include "display/backdrop.h"
#include "display/ground_line.h"
#include "display/painter.h"
#include "display/point_layer.h"
#include "model/density_law.h"
#include "model/gradient_panel.h"

#include <QPainter>

#include <algorithm>

namespace corvane::painting {

std::optional<QString> Painter::run()
{
    const int width = L_.Right - L_.Left;
    const int height = L_.Bottom - L_.Top;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    p_.setBackground(Qt::white);
    if (!d_.Printing) {
        p_.drawRect(L_.Left, L_.Top, width - 1, height - 1);
    } else {
        // The plot's frame.
        p_.drawRect(L_.Left, L_.Top, L_.Rx - L_.Left, L_.By - L_.Top);
    }
    setPen(p_, Qt::black, 2);
    p_.drawLine(L_.Left, L_.Mid, L_.Rx, L_.Mid);
    setPen(p_, Qt::black, 1);
    QFont font = p_.font();
    font.setPointSize(std::clamp(d_.FontHeight, 1, 200));
    p_.setFont(font);

    if (!d_.ModelLoaded && !d_.ModelBegun)
        return std::nullopt;

    if (d_.ColourScheme > 2)
        for (int b = 1; b <= numBodies(); ++b) {
            densLow_ = std::min(densLow_, m_.Bodies[b].Density);
            densHigh_ = std::max(densHigh_, m_.Bodies[b].Density);
            if (variesWithDepth(m_.Bodies[b])) {
                // The scale spans the contrast from the body's top to its bottom.
                const Extent e = bodyExtent(m_.Bodies[b]);
                for (double z : {e.zLow, e.zHigh}) {
                    densLow_ = std::min(densLow_, densityAt(m_.Bodies[b], z));
                    densHigh_ = std::max(densHigh_, densityAt(m_.Bodies[b], z));
                }
            }
        }

    int hiddenLabels = 0;
    if (!d_.PlanView) {
        depthAxis();
        if (ws_.overlays.backdrop)
            drawBackdrop(p_, L_, d_, *ws_.overlays.backdrop);
        if (d_.DrawGrid && !d_.Printing)
            grid();
        layoutHoleLabels();
        bodies();
        drawGroundLine(p_, L_, d_, m_);
        drawAirborneLine(p_, L_, d_, m_);
        if (!ws_.overlays.pointSets.empty()) {
            std::optional<PrintedPointSize> printed;
            // The window's section is its width less the axis strip (40) and the right margin (5).
            if (d_.Printing)
                printed = printedPointSize(L_.Rx - axisX(), print_.screenWidth - 45, print_.screenFontPixels);
            hiddenLabels = drawPointSets(p_, L_, d_, ws_.overlays, printed);
        }
    } else {
        planView();
    }
    // The magnetic and gradient panels, those shown, take equal shares of the
    // profile panel above the gravity curves; the section keeps its scale.
    const int fullTop = L_.Top;
    const CurvePanels panels = curvePanels(magneticPanelShown(m_, d_), gradientPanelShown(m_, d_));
    if (panels.count > 1) {
        auto edge = [&](int k) { return panels.edge(L_.Top, L_.Mid, k); };
        if (panels.magnetic >= 0)
            magneticPanel(edge(panels.magnetic), edge(panels.magnetic + 1));
        if (panels.gradient >= 0)
            gradientPanel(edge(panels.gradient), edge(panels.gradient + 1));
        setPen(p_, Qt::black, 1);
        for (int k = 1; k < panels.count; ++k)
            p_.drawLine(L_.Left, edge(k), L_.Rx, edge(k));
        L_.Top = edge(panels.gravity);
    }
    std::optional<QString> status = curves();
    L_.Top = fullTop;
    if (m_.NumHoles >= 1 && !d_.PlanView)
        boreholes();
    if (d_.Printing) {
        legend();
        return std::nullopt;
    }
    if (hiddenLabels > 0)
        status = (status ? *status + QStringLiteral("   ") : QString()) + hiddenLabelsText(hiddenLabels);
    return status;
}

}  // namespace corvane::painting

namespace corvane {

ViewLayout printLayout(const PrintOptions& print)
{
    ViewLayout L;
    L.TickLength = roundPixel(0.06 * print.u);
    L.TickHeight = roundPixel(0.06 * print.v);
    L.SectionLeft = roundPixel(0.5 * print.u);
    L.Left = roundPixel(0.1 * print.u);
    L.Rx = L.Left + print.plotWidth;
    L.Top = roundPixel(0.2 * print.v);
    L.By = L.Top + print.plotHeight;
    L.Mid = L.Top + print.plotHeight / 2;
    L.Right = L.Rx + 5;
    L.Bottom = L.By + 15;
    return L;
}

std::optional<QString> PaintModel(QPainter& painter, const QRect& rect, Workspace& ws,
                                  const PrintOptions& print, std::vector<DrawnText>* texts)
{
    Display& d = ws.display;
    ViewLayout L;
    if (d.Printing) {
        L = printLayout(print);
        d.SectionLeft = L.SectionLeft;
        d.TickLength = L.TickLength;
        d.TickHeight = L.TickHeight;
        // The page area is cleared as a whole before the plot's frame goes on.
        painter.fillRect(rect, Qt::white);
    } else {
        setScreenLayoutValues(d);
        L = viewLayout(rect, d);
    }
    painting::Painter p(painter, ws, L, print, texts);
    return p.run();
}

}  // namespace corvane
