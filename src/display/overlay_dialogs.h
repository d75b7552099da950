#pragma once
// The dialogs of the point data sets and the backdrop picture. Both work on
// copies and write back only on OK.
#include "model/workspace.h"

#include <QDialog>
#include <QLabel>
#include <QPointF>

#include <array>
#include <optional>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSlider;

namespace corvane {

class Platform;

// The sets listed by file name, ticked when shown; the chosen one's symbol
// and colour can be changed, and it can be removed.
class TPointSets : public QDialog {
    Q_OBJECT
public:
    TPointSets(Workspace& ws, Platform& platform, QWidget* parent = nullptr);
    void FormActivate();
    void OKBtnClick();
    void RemoveBtnClick();
    void ColourBtnClick();
    const std::vector<PointSet>& sets() const { return sets_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fillList();
    void showCurrent();

    Workspace& ws_;
    Platform& platform_;
    std::vector<PointSet> sets_;
    QListWidget* list_;
    QComboBox* symbol_;
    QLabel* swatch_;
    bool filling_ = false;
};

// Reads a backdrop's file into its image; returns an empty string or the message.
using BackdropReader = std::function<std::string(Backdrop&)>;

// The picture as the tie-point tab shows it: a click reports the pixel of the
// picture under it.
class TiePicture : public QLabel {
public:
    static constexpr int ViewWidth = 360, ViewHeight = 200;
    explicit TiePicture(QWidget* parent = nullptr);
    void setPicture(const QImage& img);
    QSize pictureSize() const { return size_; }
    std::function<void(QPointF)> clicked;   // in the picture's pixels

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    QSize size_;
};

// The picture's file, its edges in model units and its opacity.
class TBackdrop : public QDialog {
    Q_OBJECT
public:
    TBackdrop(Workspace& ws, Platform& platform, BackdropReader read, QWidget* parent = nullptr);
    void FormActivate();
    // Reads the picture and places it; on a problem says so and stays open.
    void OKBtnClick();
    void BrowseBtnClick();
    void ShowBtnClick();    // the picture on the tie-point tab
    void PlaceBtnClick();   // the edges from the tie points

protected:
    void showEvent(QShowEvent* e) override;

private:
    Workspace& ws_;
    Platform& platform_;
    QLineEdit* path_;
    QLineEdit* left_;
    QLineEdit* right_;
    QLineEdit* top_;
    QLineEdit* bottom_;
    QSlider* opacity_;
    QComboBox* bodies_;
    QLabel* opacityText_;
    QLineEdit* clip_;
    QCheckBox* colours_;
    QCheckBox* cdp_;
    QLineEdit* velocity_;
    TiePicture* tie_;
    QLabel* tieText_;
    QLineEdit* x1_;
    QLineEdit* z1_;
    QLineEdit* x2_;
    QLineEdit* z2_;
    std::array<std::optional<QPointF>, 2> ties_;
    int nextTie_ = 0;
    BackdropReader read_;
};

// The backdrop b placed in o once its picture has been read. Returns an empty
// string, or the message for the user (o unchanged then). The edges a seismic
// section gives itself (its CDP points, its times at one velocity) replace those
// typed.
std::string placeBackdrop(Overlays& o, Backdrop b, const BackdropReader& read);

}  // namespace corvane
