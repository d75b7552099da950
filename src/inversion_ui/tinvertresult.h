#pragma once
// "Inversion Results": what a fit or an inversion run did to each unknown,
// with standard errors, the correlation of the free parameters and the misfit
// of every iteration. The table can be copied to the clipboard or saved as a
// text file.
#include "inversion/run_report.h"
#include "model/model.h"
#include "platform/platform.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace corvane {

class Tinvertresult : public QDialog {
    Q_OBJECT
public:
    explicit Tinvertresult(Platform& platform, QWidget* parent = nullptr);

    void fill(const RunReport& report);
    const RunReport& report() const { return report_; }

public slots:
    void CopyBtnClick();
    void SaveBtnClick();

private:
    Platform& platform_;
    RunReport report_;
    QLabel* title_ = nullptr;
    QTableWidget* parameters_ = nullptr;
    QTableWidget* iterations_ = nullptr;
    QLabel* correlationHeading_ = nullptr;
    QTableWidget* correlation_ = nullptr;
    QLabel* kept_ = nullptr;
    QLabel* held_ = nullptr;
    QLabel* unresolved_ = nullptr;
    QLabel* errorsBasis_ = nullptr;
    QLabel* shift_ = nullptr;
    QPushButton* CopyBtn_ = nullptr;
    QPushButton* SaveBtn_ = nullptr;
    QPushButton* OKBtn_ = nullptr;
};

// The status panel after a run or one of its iterations: the misfit and the
// bounds that held parameters, when any did.
QString heldStatus(const Model& m, int iterationCount, const std::string& held);

}  // namespace corvane
