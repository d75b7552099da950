#pragma once
// The small pieces every dialog builds its boxes from, named so that the
// tests and scripts find them.
#include <QColor>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidgetItem>

namespace corvane {

// A text box with its object name.
inline QLineEdit* namedBox(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
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
