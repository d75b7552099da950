#pragma once
// The about box.
#include <QDialog>

namespace corvane {

class TCorvaneAbout : public QDialog {
    Q_OBJECT
public:
    explicit TCorvaneAbout(QWidget* parent = nullptr);
};

}  // namespace corvane
