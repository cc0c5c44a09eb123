// Stands in for a page's form until the real one is built: a plain widget in the
// container's grid, so that showing and hiding a page can already be seen.
#ifndef VORLA_PLACEHOLDER_FORM_H
#define VORLA_PLACEHOLDER_FORM_H

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

inline QWidget *create_placeholder_form(QWidget *container, const QString &object_name, const QString &title)
{
    auto *form = new QWidget(container);
    form->setObjectName(object_name);
    form->setStyleSheet(
        QStringLiteral("QWidget#%1{background-color: #131313;} QLabel{color: #65c3f7;}").arg(object_name));
    form->setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QVBoxLayout(form);
    auto *label = new QLabel(title, form);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    if (container != nullptr) {
        auto *grid = qobject_cast<QGridLayout *>(container->layout());
        if (grid == nullptr && container->layout() == nullptr) {
            grid = new QGridLayout(container);
            grid->setSpacing(0);
            grid->setContentsMargins(0, 0, 0, 0);
        }
        if (grid != nullptr)
            grid->addWidget(form, 0, 0);
    }
    return form;
}

#endif
