// The map beside the section: its dock, and the item that shows it.
#include "app/tcorvane.h"
#include "map_ui/map_dock.h"

#include <QAction>

namespace corvane {

void Tcorvane::Showthemap1Click()
{
    if (!ws_.model.ProfileLine)
        return;
    ws_.display.ShowMap = !ws_.display.ShowMap;
    updateMap();
}

void Tcorvane::updateMap()
{
    const bool placed = ws_.model.ModelExists && ws_.model.ProfileLine.has_value();
    if (QAction* a = action(QStringLiteral("Showthemap1"))) {
        a->setText(placed ? QStringLiteral("Show the &map") : QStringLiteral("Show the &map (needs a profile line)"));
        a->setEnabled(placed);
        setItemChecked(QStringLiteral("Showthemap1"), placed && ws_.display.ShowMap);
    }
    const bool shown = placed && ws_.display.ShowMap;
    if (shown && !mapDock_) {
        mapDock_ = new mapui::MapDock(ws_, *platform_, this);
        // Shown and hidden by the item only, so the flag and the dock agree.
        mapDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        addDockWidget(Qt::BottomDockWidgetArea, mapDock_);
    }
    if (!mapDock_)
        return;
    mapDock_->setVisible(shown);
    if (shown)
        mapDock_->refresh();
}

}  // namespace corvane
