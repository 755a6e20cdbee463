#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTabBar>

namespace quelby {

// New controls under the object names the windows, their tests and the screenshots find
// them by (cmdOk, fraSetup_0 ...). A label without a name keeps none.

inline QGroupBox* Frame(const QString& name, const QString& caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

inline QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

inline QLabel* Label(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty()) label->setObjectName(name);
    return label;
}

// A tab strip with a tab for each caption, the tabs as wide as their captions.
template <typename Captions>
QTabBar* TabStrip(const QString& name, const Captions& captions, QWidget* parent) {
    auto* tabs = new QTabBar(parent);
    tabs->setObjectName(name);
    for (const char* caption : captions) tabs->addTab(QString::fromLatin1(caption));
    tabs->setExpanding(false);
    return tabs;
}

} // namespace quelby
