#pragma once
// Adding a body drawn with the mouse: the Taddbody dialog that asks for its
// density contrast and strike lengths, and DrawBody, the command that takes
// its corners click by click until the right button (or the corner limit)
// closes it. Beginning a new model draws its first body the same way.
#include "edit/mouse_command.h"
#include "model/workspace.h"

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

inline const QString TooManyBodiesText = QStringLiteral("You cannot add any more bodies to the model.");
inline const QString AddCornersText =
    QStringLiteral("Left button => Add corners. Right button => Automatic body Closure.");

// Density contrast and strike lengths of a new body; boxes that do not read
// as numbers give 0.1 and 100 km in the model's unit.
struct NewBodyValues {
    double density = 0.1;
    double strike1 = 100.0;
    double strike2 = 100.0;
};
NewBodyValues readNewBodyValues(const QString& density, const QString& strike1,
                                const QString& strike2, bool unitsKm = true);

// The 100 km that strike lengths and the displayed depth start from, in the
// model's unit, and as the boxes show it ("100.0" or "100000.0").
double hundredKm(bool unitsKm);
QString hundredKmText(bool unitsKm);
// The box text after the unit changes: a box still holding the default of the
// other unit shows this unit's; anything typed stays.
QString unitDefaultAfterSwitch(const QString& text, bool unitsKm);

// "Add a Body to the Model".
class Taddbody : public QDialog {
    Q_OBJECT
public:
    explicit Taddbody(QWidget* parent = nullptr);

    void FormActivate(const Model& m);
    NewBodyValues values() const;

    QLabel* noofbody = nullptr;
    QLineEdit* density = nullptr;
    QLineEdit* Strike1 = nullptr;
    QLineEdit* Strike2 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    bool unitsKm_ = true;
};

// Menu items switched once a body has been added, by objectName.
std::vector<std::pair<QString, bool>> addedBodyMenuChanges(const Model& m);

// A slot may still hold a deleted body's records: a stale link would tie the
// new body's corners to another body's corners, a stale magnetisation would make
// it magnetic. Clears links, inversion flags and magnetisation.
void clearLinksAndFlags(Tbody& body);

// Raises the body count and makes the new slot ready for its corners: the
// given density and strike lengths, visible, no links or inversion flags
// left from an earlier body. Returns the new body's number.
int beginNewBody(Model& m, const NewBodyValues& v);

// The closed new body becomes the current body and the body under
// inversion, and its anomaly joins the total.
void finishNewBody(Workspace& ws, int b);

// Corner entry for body b. Each press inside the model panel is a corner
// (snapped when snapping is on); the right button closes the body once it has
// two distinct corners (before that it adds a corner too), and the 51st press
// closes it whichever button it was. A body never ends as a single point:
// ended before it has two distinct corners, it is dropped.
class DrawBody : public MouseCommand {
public:
    // client gives the drawing area's client rectangle for the overlay;
    // onClosed runs once, when the command ends, with the number of corners
    // stored, or 0 when the body was dropped.
    DrawBody(Workspace& ws, int body, std::function<QRect()> client,
             std::function<void(int)> onClosed);

    int readoutCorner() const override { return stored_ + 1; }
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    bool finished() const override { return done_; }
    // Esc or the window closing: the corners given so far make the body, or
    // it is dropped when they are fewer than two distinct ones.
    void cancel() override;

    int cornersStored() const { return stored_; }

private:
    bool hasTwoDistinctCorners() const;
    void close();

    Workspace& ws_;
    int body_ = 1;
    std::function<QRect()> client_;
    std::function<void(int)> onClosed_;
    int stored_ = 0;
    bool done_ = false;
};

}  // namespace corvane
