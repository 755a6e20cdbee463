#include "diagnostics/frmDisplayIO.h"

#include "app/data/IoStates.h"
#include "link/RSComm.h"
#include "views/ShellContext.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace quelby {
namespace {

const QColor kOnColour(0, 0, 255);
const QColor kOffColour(192, 0, 0);

// Frame captions by frame index; the words' frames follow the K650 frame in table order.
constexpr const char* kFrameCaptions[frmDisplayIO::kFrames] = {"K650", "Timing", "Slot0-0",
                                                                "Slot0-1", "Slot0-2"};
constexpr const char* kRowNames[4] = {"lblTmgChannel", "lblSlot00", "lblSlot01", "lblSlot02"};
// The K650 frame's separating lines come after these rows.
constexpr int kLinesAfter[] = {1, 3, 5, 6, 8, 9};

void SetColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QLabel* StateLabel(const QString& name, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("000000") + 8);
    return label;
}

} // namespace

frmDisplayIO::frmDisplayIO(ShellContext& shell, QWidget* parent) : RefreshCycleWindow(shell, parent) {
    setObjectName("frmDisplayIO");
    setWindowTitle("I/O Status");
    buildControls();
}

void frmDisplayIO::buildControls() {
    auto* layout = new QHBoxLayout(this);
    for (int f = 0; f < kFrames; ++f) {
        auto* frame = new QGroupBox(kFrameCaptions[f], this);
        frame->setObjectName(QString("fraBMIO_%1").arg(f));
        m_fraBMIO[static_cast<std::size_t>(f)] = frame;
        layout->addWidget(frame, 0, Qt::AlignTop);
    }
    layout->addStretch(1);

    auto* k650 = new QGridLayout(m_fraBMIO[0]);
    int gridRow = 0;
    for (int i = 0; i < kIoK650Rows; ++i) {
        const auto index = static_cast<std::size_t>(i);
        auto* name = new QLabel(IoK650Caption(i), m_fraBMIO[0]);
        name->setObjectName(QString("lblk610_%1").arg(i));
        name->setToolTip(IoK650Description(i));
        const bool isInput = i < kIoFirstValueEntry;
        auto* state = StateLabel(QString("lblk610State_%1").arg(i), isInput ? "OFF" : "0",
                                 m_fraBMIO[0]);
        state->setToolTip(kIoAddresses[index]);
        k650->addWidget(name, gridRow, 0);
        k650->addWidget(state, gridRow, 1);
        ++gridRow;
        m_lblk610[index] = name;
        m_lblk610State[index] = state;
        if (std::find(std::begin(kLinesAfter), std::end(kLinesAfter), i) != std::end(kLinesAfter)) {
            auto* line = new QFrame(m_fraBMIO[0]);
            line->setObjectName("Line1");
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            k650->addWidget(line, gridRow++, 0, 1, 2);
        }
    }

    for (std::size_t w = 0; w < kIoWords.size(); ++w) {
        QGroupBox* frame = m_fraBMIO[w + 1];
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        for (int b = 0; b < kBitRows; ++b) {
            const auto bit = static_cast<std::size_t>(b);
            const IoWord word = kIoWords[w];
            auto* name = new QLabel(QString::fromStdString(IoRowCaption(word, b)), frame);
            name->setObjectName(QString("%1_%2").arg(kRowNames[w]).arg(b));
            name->setToolTip(IoRowDescription(word, b));
            // The slots' captions line up their terminal numbers.
            if (word != IoWord::Timing) name->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            auto* state = StateLabel(QString("%1State_%2").arg(kRowNames[w]).arg(b), "OFF", frame);
            if (word == IoWord::Timing)
                state->setToolTip(QString::fromStdString(IoBitAddress(word, b)));
            grid->addWidget(name, b, 0);
            grid->addWidget(state, b, 1);
            m_lblBit[w][bit] = name;
            m_lblBitState[w][bit] = state;
        }
    }
}

void frmDisplayIO::prepare(bool enabled) {
    for (QGroupBox* frame : m_fraBMIO) frame->setEnabled(enabled);
    for (std::size_t i = 0; i < m_lblk610.size(); ++i) {
        m_lblk610[i]->setEnabled(enabled);
        m_lblk610State[i]->setEnabled(enabled);
        m_lblk610State[i]->setText(kIoNoState);
        // The two inputs' dashes look like the other states', not like a stale "off".
        if (i < kIoFirstValueEntry) SetColour(m_lblk610State[i], kOnColour);
    }
    for (std::size_t w = 0; w < m_lblBit.size(); ++w) {
        for (std::size_t b = 0; b < kBitRows; ++b) {
            m_lblBit[w][b]->setEnabled(enabled);
            m_lblBitState[w][b]->setEnabled(enabled);
            m_lblBitState[w][b]->setText(kIoNoState);
            SetColour(m_lblBitState[w][b], kOnColour);
        }
    }
}

void frmDisplayIO::onlinePreparation() {
    prepare(true);
}

void frmDisplayIO::offlinePreparation() {
    prepare(false);
}

void frmDisplayIO::showState(QLabel* label, bool on) {
    label->setText(on ? kIoOn : kIoOff);
    SetColour(label, on ? kOnColour : kOffColour);
}

QCoro::Task<bool> frmDisplayIO::refreshPass(bool online) {
    if (!online) co_return false; // offline the window only waits
    QPointer<frmDisplayIO> self(this);
    for (std::size_t i = 0; i < kIoAddresses.size(); ++i) {
        if (!co_await yieldToEvents()) co_return false; // false also when the window went
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        const RSComm::ReadResult read = link.RSReadChecked(kIoAddresses[i]);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        if (!read.trusted) continue; // the states keep their look until a confirmed read
        const std::string& text = read.text;
        if (i < kIoFirstValueEntry) {
            showState(m_lblk610State[i], IoInputOn(text));
        } else if (i < kIoFirstWordEntry) {
            m_lblk610State[i]->setText(QString::fromStdString(text).trimmed());
        } else {
            const auto& states = m_lblBitState[i - kIoFirstWordEntry];
            for (int b = 0; b < kBitRows; ++b)
                showState(states[static_cast<std::size_t>(b)], IoBitOn(text, b));
        }
    }
    emit stateReadFinished();
    co_return true;
}

} // namespace quelby
