#pragma once
// The Magnetics menu: the Earth's field, the magnetic stations (read from a
// field-data file or laid out evenly without data), each body's
// magnetisation with spin steps and a fit of its susceptibility, and the
// switch of the magnetic panel.
#include "model/magnetic_data.h"
#include "model/workspace.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

struct MagneticLimit;
class SpinArrows;
class Tcorvane;

// "Earth's Field": intensity, inclination, declination and profile azimuth.
class TEarthField : public QDialog {
    Q_OBJECT
public:
    explicit TEarthField(QWidget* parent = nullptr);
    void fill(const Model& m);
    // The typed values into the model; false (and the model untouched) when
    // one is not a number or is out of its range, with why saying which.
    bool apply(Model& m, QString* why = nullptr) const;

    QLineEdit* intensity = nullptr;
    QLineEdit* inclination = nullptr;
    QLineEdit* declination = nullptr;
    QLineEdit* azimuth = nullptr;
    QLabel* azimuthSource = nullptr;   // where the azimuth came from
    QPushButton* OKBtn = nullptr;
};

// "Magnetic Stations": how many, evenly over the gravity profile, at one height.
class TMagStations : public QDialog {
    Q_OBJECT
public:
    explicit TMagStations(QWidget* parent = nullptr);
    void fill(const Model& m);

    QLineEdit* count = nullptr;
    QLineEdit* height = nullptr;
    QPushButton* OKBtn = nullptr;
};

// "Body Magnetisation": K, M, IM and DM of the current body; each spin step
// is applied at once and the anomaly recalculated.
class TMagnetisation : public QDialog {
    Q_OBJECT
public:
    TMagnetisation(Workspace& ws, std::function<void()> repaint, std::function<void(const QString&)> status,
                   QWidget* parent = nullptr);
    void FormActivate();
    // The typed values into the current body (those that are numbers within
    // their ranges); the sentence for the first one out of range, if any.
    QString applyTyped();
    void spin(int field, double sign);   // field 0..3: K, M, IM, DM
    void fitClick();

    QLabel* body = nullptr;
    QLineEdit* value[4] = {};
    QLineEdit* step[4] = {};
    SpinArrows* spins[4] = {};
    QPushButton* fit = nullptr;
    QPushButton* OKBtn = nullptr;
    // Shows the refusal of a value out of its range.
    std::function<void(const QString&)> refuse;

private:
    void show(int field);
    QString shown_[4];   // what show() wrote: a box still showing it is not typed over
    Workspace& ws_;
    std::function<void()> repaint_;
    std::function<void(const QString&)> status_;
};

// The whole commands.
void earthFieldCommand(Tcorvane& window);
void readMagneticDataCommand(Tcorvane& window);
void magneticStationsCommand(Tcorvane& window);
void magnetisationCommand(Tcorvane& window);
void showMagneticCommand(Tcorvane& window);

// "The susceptibility must be from -1 to 100 SI."
QString magneticRangeText(const MagneticLimit& limit);

// The status text of the fit of K.
QString susceptibilityFitText(double k);
inline const QString NoMagneticFitText =
    QStringLiteral("There are no observed magnetic values this body's susceptibility could fit.");
inline const QString MagneticNumberText = QStringLiteral("Each box needs a number, and the intensity may not be negative.");

}  // namespace corvane
