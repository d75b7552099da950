#pragma once
// The printed hardcopy: the dialog that chooses titles, legend and plot size,
// and the print path that draws the window's picture with PaintModel on a
// printer (or a PDF file) in printing mode.
#include "display/paint.h"
#include "model/result.h"
#include "model/workspace.h"

#include <QDialog>
#include <QSize>

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QRadioButton;

namespace corvane {

// What the dialog chose; the size texts are kept as typed and read when the
// plot is laid out.
struct HardcopySettings {
    enum Size { SetSize = 0, FixedScale = 1, FitToPage = 2 };
    bool titles = true;
    bool bodyInfo = false;
    bool fileName = false;
    int plotSize = SetSize;
    bool centimetres = false;
    QString width = QStringLiteral("7.0");
    QString height = QStringLiteral("5.0");
    QString xscale = QStringLiteral("10000.0");
    QString yscale = QStringLiteral("10000.0");
    // The window's picture (width and font height in pixels), which the
    // printed point symbols keep their size relative to.
    int screenWidth = 652;
    int screenFontPixels = 13;
};

// The printing-mode geometry for a page of the given size in pixels and
// resolution in pixels per inch: the length units are one inch each way, the
// plot's size follows the chosen mode. `tooBig` tells that the plot with its
// legend does not fit the page (it is then cut at the page's edge).
struct HardcopyGeometry {
    PrintOptions options;
    bool tooBig = false;
};
HardcopyGeometry hardcopyGeometry(const HardcopySettings& s, const Workspace& ws, QSize page,
                                  double dpiX, double dpiY);

// Draws the hardcopy on printer as one print job, then leaves the display
// state as it was before. A failure's message is the reason; `tooBig` as
// above.
Status printHardcopy(QPrinter& printer, Workspace& ws, const HardcopySettings& s, bool* tooBig = nullptr);

class Thardcopyout : public QDialog {
    Q_OBJECT
public:
    explicit Thardcopyout(Workspace& ws, QWidget* parent = nullptr);

    // Sets the controls to their opening values (the titles stay as last left).
    void FormActivate();
    // Takes the titles into the workspace and closes the dialog as accepted.
    void OKBtnClick();

    HardcopySettings settings() const;
    // Shows the controls the chosen size mode uses and hides the others.
    void plotsizeClick(int index);
    int plotsizeIndex() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    Workspace& ws_;
    QLineEdit* title1_;
    QLineEdit* title2_;
    QCheckBox* titles_;
    QCheckBox* bodyinfo_;
    QCheckBox* filename_;
    QGroupBox* plotsize_;
    QRadioButton* sizeButtons_[3];
    QGroupBox* units_;
    QRadioButton* inches_;
    QRadioButton* cm_;
    QLabel* widthLabel_;
    QLabel* heightLabel_;
    QLineEdit* width_;
    QLineEdit* height_;
    QLabel* xscaleLabel_;
    QLabel* yscaleLabel_;
    QLineEdit* xscale_;
    QLineEdit* yscale_;
};

}  // namespace corvane
