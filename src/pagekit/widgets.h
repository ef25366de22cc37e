#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

// Small builders that give every control its name and caption in one line.
namespace ui
{

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QPushButton *button(const char *name, const QString &caption, QWidget *parent = nullptr)
{
    return named(new QPushButton(caption, parent), name);
}
inline QCheckBox *checkBox(const char *name, const QString &caption, bool checked = false, QWidget *parent = nullptr)
{
    auto *b = named(new QCheckBox(caption, parent), name);
    b->setChecked(checked);
    return b;
}
inline QRadioButton *radio(const char *name, const QString &caption, bool checked = false, QWidget *parent = nullptr)
{
    auto *b = named(new QRadioButton(caption, parent), name);
    b->setChecked(checked);
    return b;
}
inline QLineEdit *edit(const char *name, const QString &text, QWidget *parent = nullptr)
{
    return named(new QLineEdit(text, parent), name);
}
inline QLabel *label(const char *name, const QString &text, QWidget *parent = nullptr)
{
    return named(new QLabel(text, parent), name);
}
inline QGroupBox *group(const char *name, const QString &caption, QWidget *parent = nullptr)
{
    return named(new QGroupBox(caption, parent), name);
}
// A drop-down list without typing.
inline QComboBox *combo(const char *name, const QStringList &items, int index = -1, QWidget *parent = nullptr)
{
    auto *c = named(new QComboBox(parent), name);
    c->addItems(items);
    c->setCurrentIndex(index);
    return c;
}

// A fixed-size auxiliary window with a system menu and a minimise box.
inline void fixedWindow(QDialog *d, const char *name, const QString &title, int width, int height)
{
    d->setObjectName(QString::fromLatin1(name));
    d->setWindowTitle(title);
    d->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                      Qt::WindowCloseButtonHint);
    d->setFixedSize(width, height);
}

} // namespace ui
