#pragma once
// The small pieces every dialog builds its boxes from, named so that the
// tests and scripts find them.
#include "model/text.h"

#include <QColor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidgetItem>

#include <optional>
#include <utility>

namespace corvane {

// A text box with its object name and, when width is given, that fixed width.
inline QLineEdit* namedBox(QWidget* parent, const QString& name, int width = 0)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (width > 0)
        e->setFixedWidth(width);
    return e;
}
inline QLineEdit* namedBox(QWidget* parent, const char* name, int width = 0)
{
    return namedBox(parent, QString::fromLatin1(name), width);
}

// The number a box holds, read as the program reads every typed number.
inline std::optional<double> numberIn(const QLineEdit* box)
{
    return parseNumber(box->text().toStdString());
}

// The dialog's OK (the default) and Cancel buttons; Cancel rejects. The caller
// places them and connects OK.
inline std::pair<QPushButton*, QPushButton*> okCancelButtons(QDialog* dlg)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), dlg);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dlg);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    QObject::connect(cancel, &QPushButton::clicked, dlg, &QDialog::reject);
    return {ok, cancel};
}

// A button added to a button row, with its object name.
inline QPushButton* addNamedButton(QDialogButtonBox* box, const QString& text, QDialogButtonBox::ButtonRole role,
                                   const char* name)
{
    QPushButton* b = box->addButton(text, role);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// A grid cell the user only reads.
inline QTableWidgetItem* fixedCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(224, 224, 224));
    return item;
}

}  // namespace corvane
