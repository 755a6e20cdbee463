// The "Program Ident/Revision" tab: the program in the board and the program file on disk.
#include "diagnostics/frmTargetBoard.h"

#include "diagnostics/TargetBoardWidgets.h"
#include "link/BoardIdentity.h"
#include "link/RSComm.h"
#include "views/NamedControls.h"
#include "views/ShellContext.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>

namespace quelby {
namespace {

// A value label of the ident tab: sunken, so an empty value still shows its place.
QLabel* ValueLabel(const QString& name, QWidget* parent) {
    auto* label = Label(name, "-", parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(160);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// The hex file's date and time in the PC's short format.
QString ShortDateTime(std::int64_t secondsSinceEpoch) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    return QLocale::system().toString(when, QLocale::ShortFormat);
}

} // namespace

QWidget* frmTargetBoard::buildIdentTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QHBoxLayout(tab);

    auto* inBoard = Frame("fraInTargetBoard", "In Target Board:", tab);
    auto* inGrid = new QGridLayout(inBoard);
    static constexpr const char* kInCaptions[] = {"Name:", "Revision:", "Checksum:"};
    for (int i = 0; i < 3; ++i) {
        inGrid->addWidget(Label({}, kInCaptions[i], inBoard), i, 0);
        m_lblRevIdentInPLC[static_cast<std::size_t>(i)] =
            ValueLabel(QString("lblRevIdentInPLC_%1").arg(i), inBoard);
        inGrid->addWidget(m_lblRevIdentInPLC[static_cast<std::size_t>(i)], i, 1);
    }
    inGrid->setRowStretch(5, 1);
    layout->addWidget(inBoard, 0, Qt::AlignTop);

    auto* onDisk = Frame("fraOnDisk", "On Disk:", tab);
    auto* diskGrid = new QGridLayout(onDisk);
    static constexpr const char* kDiskCaptions[] = {
        "Name:", "Revision:", "Checksum:", "Target Board:", "Rev Date:"};
    for (int i = 0; i < 5; ++i) {
        diskGrid->addWidget(Label({}, kDiskCaptions[i], onDisk), i, 0);
        m_lblRevIdentOnDisk[static_cast<std::size_t>(i)] =
            ValueLabel(QString("lblRevIdentOnDisk_%1").arg(i), onDisk);
        diskGrid->addWidget(m_lblRevIdentOnDisk[static_cast<std::size_t>(i)], i, 1);
    }
    layout->addWidget(onDisk, 0, Qt::AlignTop);
    return tab;
}

void frmTargetBoard::fillOnDiskLabels() {
    m_lblRevIdentOnDisk[0]->setText(Q(m_onDisk.name));
    m_lblRevIdentOnDisk[1]->setText(QString::number(m_onDisk.revision));
    m_lblRevIdentOnDisk[2]->setText(QString::number(m_onDisk.checksum));
    m_lblRevIdentOnDisk[3]->setText(Q(TargetboardName(m_boardType)));
    m_lblRevIdentOnDisk[4]->setText(m_onDisk.hexModified ? ShortDateTime(*m_onDisk.hexModified)
                                                         : QString("-"));
}

QCoro::Task<bool> frmTargetBoard::readBoardIdent(bool& complete) {
    QPointer<frmTargetBoard> self(this);
    RSComm& link = shell().link();
    for (int j = 0; j < kBoardIdentReads; ++j) {
        if (!co_await yieldToEvents()) co_return false;
        if (link.CommError) co_return true;
        const RSComm::ReadResult read = link.RSReadChecked(BoardIdentAddress(j));
        if (!self) co_return false;
        if (link.CommError) co_return true;
        // The labels keep their text; the pass reads the identity again.
        if (!read.trusted) co_return true;
        const std::string& text = read.text;
        if (j < kBoardIdentReads - 2) {
            const int code = IdentCharacterCode(text);
            const QString character = code < 0 ? QString() : QString(QChar(code));
            m_lblRevIdentInPLC[0]->setText(j == 0 ? character
                                                  : m_lblRevIdentInPLC[0]->text() + character);
        } else if (j == kBoardIdentReads - 2) {
            m_lblRevIdentInPLC[2]->setText(Q(text));
        } else {
            m_lblRevIdentInPLC[1]->setText(Q(text));
        }
    }
    complete = true;
    co_return true;
}

} // namespace quelby
