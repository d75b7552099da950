#pragma once
// The spin button of the body and model dialogs: the shared arrow pair, a
// little wider, stepping on while an arrow is held.
#include "display/options_widgets.h"

namespace corvane {

class SpinArrows : public SpinButton {
public:
    explicit SpinArrows(QWidget* parent = nullptr) : SpinButton(QString(), parent, 20, true) {}
};

}  // namespace corvane
